// Event handler types: notifications and mouse events with their sender, buttons and shift state.
#pragma once

#include <cstdint>
#include <functional>

class QObject;

// A notification with its sender.
using TNotifyEvent = std::function<void(QObject* Sender)>;

enum TMouseButton { mbLeft, mbRight, mbMiddle };

// Keys and buttons held during a mouse event, a set of the ss bits below.
using TShiftState = std::uint32_t;
constexpr TShiftState ssShift = 0x01;
constexpr TShiftState ssAlt = 0x02;
constexpr TShiftState ssCtrl = 0x04;
constexpr TShiftState ssLeft = 0x08;
constexpr TShiftState ssRight = 0x10;
constexpr TShiftState ssMiddle = 0x20;
constexpr TShiftState ssDouble = 0x40;

using TMouseEvent =
    std::function<void(QObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(QObject* Sender, TShiftState Shift, int X, int Y)>;
