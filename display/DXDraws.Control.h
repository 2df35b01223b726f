// The display control TDXDraw: device, primary and back surfaces, listeners, flip into the window.
#pragma once

#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <vector>

#include "display/DXClass.Forms.h"
#include "display/DXDraws.Surfaces.h"
#include "platform/ui/Events.h"
#include "platform/ui/Forms.h"

class TCustomDXDraw;
class TDXDrawDriver;

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
        for (TDXDrawOption o : Items) FBits = static_cast<std::uint16_t>(FBits | Bit(o));
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
    static constexpr std::uint16_t Bit(TDXDrawOption o) { return static_cast<std::uint16_t>(1u << o); }
    std::uint16_t FBits = 0;
};

// The options of a new control (and of the game's display): value 0x348C.
constexpr TDXDrawOptions DefaultDXDrawOptions{doAllowReboot, doWaitVBlank, doCenter, doDirectX7Mode,
                                              doHardware, doSelectDriver};

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
using TDXDrawNotifyEvent = void (*)(void* Data, TCustomDXDraw* Sender, TDXDrawNotifyKind NotifyType);

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

// ---- Display mode settings -------------------------------------------------------------------

struct TDXDrawDisplayMode {
    int Width = 0;
    int Height = 0;
    int BitCount = 0;
    DDSURFACEDESC SurfaceDesc{};
};

// Full-screen display settings (the Display property); they matter only with doFullScreen.
class TDXDrawDisplay {
public:
    explicit TDXDrawDisplay(TCustomDXDraw* DXDraw);

    int Width() const { return FWidth; }
    void SetWidth(int Value) { FWidth = Value < 0 ? 0 : Value; }
    int Height() const { return FHeight; }
    void SetHeight(int Value) { FHeight = Value < 0 ? 0 : Value; }
    int BitCount() const { return FBitCount; }
    // Only 8, 16, 24 or 32; anything else raises EDirectDrawError and keeps the old value.
    void SetBitCount(int Value);
    bool FixedBitCount = true;
    bool FixedRatio = true;
    bool FixedSize = false;

    // Copies the six settings (not the mode list).
    void Assign(const TDXDrawDisplay& Source);

    // The device's modes sorted by width, height, bit count; enumerated on first use (empty
    // without a device). ClearModes forgets them.
    const std::vector<TDXDrawDisplayMode>& Modes();
    int ModeCount() { return static_cast<int>(Modes().size()); }
    void ClearModes() { FModes.clear(); FModesRead = false; }

    // Switches the screen to the mode, or the nearest acceptable one (full screen only).
    bool ChangeMode(int Width, int Height, int BitCount);

private:
    bool SetMode(int Width, int Height, int BitCount);
    TCustomDXDraw* FDXDraw;
    int FWidth = 640;
    int FHeight = 480;
    int FBitCount = 8;
    bool FModesRead = false;
    std::vector<TDXDrawDisplayMode> FModes;
};

// ---- Drivers ---------------------------------------------------------------------------------

// Builds and presents the surfaces of one control. The constructor opens the device; destroying
// the driver finalises it and frees the device.
class TDXDrawDriver {
public:
    explicit TDXDrawDriver(TCustomDXDraw* DXDraw);
    virtual ~TDXDrawDriver();
    TDXDrawDriver(const TDXDrawDriver&) = delete;
    TDXDrawDriver& operator=(const TDXDrawDriver&) = delete;

    // Frees the clipper, the palette, the back surface and the primary surface.
    virtual void Finalize();
    virtual void Flip() = 0;
    virtual void Initialize() = 0;
    // Resizes the back surface; false when this driver cannot (the base never can).
    virtual bool SetSize(int Width, int Height);
    // Restores both surfaces; only when both succeed they are cleared and true is returned.
    bool Restore();

    TCustomDXDraw* DXDraw() const { return FDXDraw; }

protected:
    TCustomDXDraw* FDXDraw;
};

// Windowed driver: the back surface is copied into the control's window on every Flip.
class TDXDrawDriverBlt : public TDXDrawDriver {
public:
    using TDXDrawDriver::TDXDrawDriver;
    void Flip() override;
    void Initialize() override;
    bool SetSize(int Width, int Height) override;

private:
    void InitializeSurface();
};

// Full-screen page-flipping driver.
class TDXDrawDriverFlip : public TDXDrawDriver {
public:
    using TDXDrawDriver::TDXDrawDriver;
    void Flip() override;
    void Initialize() override;
};

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
    TDirectDraw* Device() const { return FDDraw; }
    TDirectDrawSurface* Primary() const { return FPrimary; }
    TDirectDrawSurface* Surface() const { return FSurface; }
    TDirectDrawClipper* Clipper() const { return FClipper; }
    TDirectDrawPalette* Palette() const { return FPalette; }
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

    // ---- Operations
    void Initialize();
    void Finalize();
    void Restore();
    bool CanDraw();
    void Flip();
    bool CheckSurfaces();
    void SetSize(int ASurfaceWidth, int ASurfaceHeight);
    // Writes a colour table into the palette (only when initialised and a palette exists).
    void ApplyColorTable(const TDXDrawColorTable& Table);
    // Sets the cooperative level for the owner form (the control's own window without one).
    void ApplyCooperativeLevel();

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
    friend class TDXDrawDriver;
    friend class TDXDrawDriverBlt;
    friend class TDXDrawDriverFlip;
    friend class TDXDrawDisplay;

    struct TListener {
        TDXDrawNotifyEvent Callback;
        void* Data;
    };

    void NotifyEventList(TDXDrawNotifyKind NotifyType);
    void DeriveOptions();
    void ParentChanged();
    void FormWndProc(TMessage& Message, const TWndMethod& DefWindowProc);
    void FillPaletteEntries(const TDXDrawColorTable& Table, PALETTEENTRY* Entries) const;
    void WindowRecreated();

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
    TDirectDraw* FDDraw = nullptr;
    std::unique_ptr<TDXDrawDisplay> FDisplay;
    TDirectDrawClipper* FClipper = nullptr;
    TDirectDrawPalette* FPalette = nullptr;
    TDirectDrawSurface* FPrimary = nullptr;
    TDirectDrawSurface* FSurface = nullptr;
    int FSurfaceWidth = 640;
    int FSurfaceHeight = 480;
    TColor FColor = clBtnFace;
    bool FLoading = false;
    unsigned long FVBlankWaits = 0;
    // A frame was copied into the presentation since the last paint; that paint only shows it.
    bool FPresented = false;
};

// The display control as placed on a form.
class TDXDraw : public TCustomDXDraw {
    Q_OBJECT
public:
    explicit TDXDraw(QWidget* parent = nullptr) : TCustomDXDraw(parent) {}
};
