// The display control TDXDraw: device, primary and back surfaces, listeners, flip into the window.
#pragma once

#include <QImage>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <vector>

#include "display/DXClass.Forms.h"
#include "display/DXDraws.Display.h"
#include "display/DXDraws.Surfaces.h"
#include "platform/ui/DirectPresenter.h"
#include "platform/ui/Events.h"
#include "platform/ui/Forms.h"

class TCustomDXDraw;
class TDXDrawDriver; // display/DXDraws.Driver.h
struct TDXDrawDriverSetup;

// ---- Errors ----------------------------------------------------------------------------------

class EDXDrawError : public Exception {
public:
    using Exception::Exception;
};

// ---- Options ---------------------------------------------------------------------------------

// Bit n of TDXDrawOptions is the option with value n.
enum TDXDrawOption {
    doFullScreen,
    doNoWindowChange,
    doAllowReboot,
    doWaitVBlank,
    doAllowPalette256,
    doSystemMemory,
    doStretch,
    doCenter,
    doFlip,
    do3D,
    doDirectX7Mode,
    doRetainedMode,
    doHardware,
    doSelectDriver,
    doZBuffer,
};

// A 16-bit set of TDXDrawOption.
class TDXDrawOptions {
public:
    constexpr TDXDrawOptions() = default;
    constexpr TDXDrawOptions(std::initializer_list<TDXDrawOption> Items) {
        for (TDXDrawOption o : Items)
            FBits = static_cast<std::uint16_t>(FBits | Bit(o));
    }
    static constexpr TDXDrawOptions FromBits(std::uint16_t Bits) {
        TDXDrawOptions s;
        s.FBits = Bits;
        return s;
    }
    constexpr std::uint16_t Bits() const { return FBits; }
    constexpr bool Contains(TDXDrawOption o) const { return (FBits & Bit(o)) != 0; }
    constexpr void Include(TDXDrawOption o) { FBits = static_cast<std::uint16_t>(FBits | Bit(o)); }
    constexpr void Exclude(TDXDrawOption o) { FBits = static_cast<std::uint16_t>(FBits & ~Bit(o)); }
    constexpr bool operator==(const TDXDrawOptions&) const = default;

private:
    static constexpr std::uint16_t Bit(TDXDrawOption o) {
        return static_cast<std::uint16_t>(1u << o);
    }
    std::uint16_t FBits = 0;
};

// The options of a new control (and of the game's display): value 0x348C.
constexpr TDXDrawOptions DefaultDXDrawOptions{doAllowReboot,  doWaitVBlank, doCenter,
                                              doDirectX7Mode, doHardware,   doSelectDriver};

// ---- Notifications ---------------------------------------------------------------------------

enum TDXDrawNotifyKind {
    dnDestroying,
    dnInitializing,
    dnInitialize,
    dnInitializeSurface,
    dnFinalize,
    dnFinalizeSurface,
    dnRestore,
    dnSurfaceSize,
};

// A listener is the pair (callback, data); the callback gets (data, sender, kind).
using TDXDrawNotifyEvent = void (*)(void* Data, TCustomDXDraw* Sender,
                                    TDXDrawNotifyKind NotifyType);

// One colour of ColorTable / DefaultColorTable.
struct TDXDrawRGB {
    std::uint8_t Red = 0;
    std::uint8_t Green = 0;
    std::uint8_t Blue = 0;
    std::uint8_t Zero = 0;
    bool operator==(const TDXDrawRGB&) const = default;
};
using TDXDrawColorTable = std::array<TDXDrawRGB, 256>;

// The 256 entries of the screen's system palette (the 20 static colours at 0..9 and 246..255).
const TDXDrawColorTable& SystemPaletteTable();

// ---- The control -----------------------------------------------------------------------------

class TCustomDXDraw : public QWidget {
    Q_OBJECT
public:
    explicit TCustomDXDraw(QWidget* parent = nullptr);
    ~TCustomDXDraw() override;

    // Loading from a window definition: while loading, SurfaceWidth/SurfaceHeight only store.
    // Loaded ends it: the stored size follows the control with AutoSize, dnSurfaceSize is
    // broadcast, and a control outside any form initialises at once (if AutoInitialize).
    bool Loading() const { return FLoading; }
    void BeginLoading() { FLoading = true; }
    virtual void Loaded();

    // ---- Properties
    bool AutoInitialize() const { return FAutoInitialize; }
    void SetAutoInitialize(bool Value) { FAutoInitialize = Value; }
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TDXDrawDisplay& Display() { return *FDisplay; }
    void SetDisplay(const TDXDrawDisplay& Value) { FDisplay->Assign(Value); }
    TDXDrawOptions Options() const { return FOptions; }
    void SetOptions(TDXDrawOptions Value);
    TDXDrawOptions EffectiveOptions() const { return FNowOptions; }
    int SurfaceWidth() const;
    void SetSurfaceWidth(int Value);
    int SurfaceHeight() const;
    void SetSurfaceHeight(int Value);

    TDXDrawColorTable ColorTable;
    TDXDrawColorTable DefaultColorTable;

    // ---- State (read only)
    // The driver's objects while it stands (nullptr otherwise).
    TDirectDraw* Device() const;
    TDirectDrawSurface* Primary() const;
    TDirectDrawSurface* Surface() const;
    TDirectDrawClipper* Clipper() const;
    TDirectDrawPalette* Palette() const;
    TDXDrawDriver* Driver() const { return FDriver.get(); }
    QWidget* OwnerForm() const { return FForm; }
    bool Initialized() const { return FInitialized; }
    bool InitializeCalled() const { return FCalledDoInitialize; }
    bool InitializeBegun() const { return FInitializeBegun; }
    bool InitializeFired() const { return FInitializeFired; }
    bool SurfaceInitializeFired() const { return FSurfaceInitializeFired; }
    bool Updating() const { return FUpdating; }
    int RestoreNotifySuppress() const { return FRestoreNotifySuppress; }
    // The display driver to open (absent = the default display driver); kept as a copy.
    const GUID* DriverGuid() const { return FDriverGuid ? &*FDriverGuid : nullptr; }
    void SetDriverGuid(const GUID* Value);
    // How many vertical-blank waits Flip has made (diagnostics: paints never wait).
    unsigned long VerticalBlankWaits() const { return FVBlankWaits; }
    // How many frames went straight to the window, with no paint (diagnostics and measurement).
    unsigned long FramesShownDirectly() const { return FShownDirectly; }

    // Whether the next frame must be drawn even if nothing drawn on the back surface moved: the
    // surfaces were built, resized, lost or restored, the palette changed or the window was
    // uncovered since the last Flip that presented. The control sets it in the operations that
    // make those changes; a presenting Flip clears it.
    bool FrameDue() const { return FFrameDue; }
    // The window's pixels as last presented (null without a display). They are the device's own
    // memory, which every paint shows: let go of the image before the next Flip.
    QImage Screen() const;

    // ---- Operations
    void Initialize();
    void Finalize();
    void Restore();
    bool CanDraw();
    void Flip();
    // Presents only Part of the back surface (surface pixels): the caller changed nothing outside
    // it since the last frame. A frame that is due whole (FrameDue), and any part an earlier Flip
    // failed to present, still reach the window.
    void Flip(const TRect& Part);
    bool CheckSurfaces();
    void SetSize(int ASurfaceWidth, int ASurfaceHeight);
    // Writes a colour table into the palette (only when initialised and a palette exists).
    void ApplyColorTable(const TDXDrawColorTable& Table);
    // Sets the cooperative level for the owner form (the control's own window without one).
    void ApplyCooperativeLevel();
    // The 256 palette entries of a colour table under the options in force: the static colours
    // of the system palette replace entries 0..9 and 246..255 unless doAllowPalette256.
    void PaletteEntries(const TDXDrawColorTable& Table, PALETTEENTRY* Entries) const;

    void RegisterListener(TDXDrawNotifyEvent Callback, void* Data);
    void UnregisterListener(TDXDrawNotifyEvent Callback, void* Data);

    // ---- Events
    TNotifyEvent OnFinalize;
    TNotifyEvent OnFinalizeSurface;
    TNotifyEvent OnInitialize;
    TNotifyEvent OnInitializeSurface;
    TNotifyEvent OnInitializing;
    TNotifyEvent OnRestoreSurface;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;

protected:
    virtual void HandleFinalize();
    virtual void HandleFinalizeSurface();
    virtual void HandleInitialize();
    virtual void HandleInitializeSurface();
    virtual void HandleInitializing();
    virtual void HandleRestoreSurface();

    bool event(QEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;

private:
    struct TListener {
        TDXDrawNotifyEvent Callback;
        void* Data;
    };

    void NotifyEventList(TDXDrawNotifyKind NotifyType);
    void DeriveOptions();
    void ParentChanged();
    void FormWndProc(TMessage& Message, const TWndMethod& DefWindowProc);
    void WindowRecreated();
    // Hands an error raised inside window-message handling to the application's reporter; an
    // exception must not travel through the window system's event delivery.
    static void ReportError(QObject* Sender, const std::exception& E);
    // Rebuilds the back surface at the stored size with the driver, telling listeners and events.
    void ResizeSurface();
    // The back surface's memory as the driver found it, shown in EffectiveOptions.
    void TakeSystemMemoryFromDriver();
    // What the driver is told of this control when the display is built.
    TDXDrawDriverSetup DriverSetup() const;
    // Shows the visible part of what the device's presentation changed: straight in the window
    // where the window system allows, else by asking for it to be repainted.
    void ShowPresented(const QImage& Image, const QRegion& Changed, int Segment);

    std::vector<TListener> FNotifyEventList;
    bool FAutoInitialize = true;
    bool FAutoSize = true;
    bool FInitializeFired = false;
    bool FSurfaceInitializeFired = false;
    QWidget* FForm = nullptr;
    bool FInitialized = false;
    bool FCalledDoInitialize = false;
    bool FInitializeBegun = false;
    bool FUpdating = false;
    std::unique_ptr<TControlSubClass> FFormHook;
    TDXDrawOptions FNowOptions;
    TDXDrawOptions FOptions = DefaultDXDrawOptions;
    int FRestoreNotifySuppress = 0;
    std::unique_ptr<TDXDrawDriver> FDriver;
    std::optional<GUID> FDriverGuid;
    std::unique_ptr<TDXDrawDisplay> FDisplay;
    int FSurfaceWidth = 640;
    int FSurfaceHeight = 480;
    TColor FColor = clBtnFace;
    bool FLoading = false;
    unsigned long FVBlankWaits = 0;
    unsigned long FShownDirectly = 0;
    // A frame changed the window's pixels since the last paint; that paint only shows it.
    bool FPresented = false;
    bool FFrameDue = true;
    // Parts of the back surface drawn for a partial Flip that did not present (empty: none).
    TRect FUnpresented;
    std::unique_ptr<TDirectPresenter> FDirect;
    bool FPainting = false; // inside paintEvent's own Flip
    void Present(const std::optional<TRect>& Part);
};

// The display control as placed on a form.
class TDXDraw : public TCustomDXDraw {
    Q_OBJECT
public:
    explicit TDXDraw(QWidget* parent = nullptr) : TCustomDXDraw(parent) {}
};
