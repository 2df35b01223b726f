// The display control: listeners, building and tearing down the display, presenting; the window
// side is in DXDraws.Control.Window.cpp.
#include "display/DXDraws.Control.h"

#include <algorithm>

#include "platform/rtl/DXConsts.h"
#include "display/DXDraws.Driver.h"

namespace {

TDXDrawColorTable MakeSystemPalette() {
    // The static colours every palettised screen reserves, and a colour cube with a grey ramp
    // between them.
    static const std::uint8_t low[10][3] = {
        {0, 0, 0},     {128, 0, 0},   {0, 128, 0},     {128, 128, 0},   {0, 0, 128},
        {128, 0, 128}, {0, 128, 128}, {192, 192, 192}, {192, 220, 192}, {166, 202, 240}};
    static const std::uint8_t high[10][3] = {
        {255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},   {0, 255, 0},
        {255, 255, 0},   {0, 0, 255},     {255, 0, 255},   {0, 255, 255}, {255, 255, 255}};
    TDXDrawColorTable t{};
    for (int i = 0; i < 10; ++i) {
        t[i] = {low[i][0], low[i][1], low[i][2], 0};
        t[246 + i] = {high[i][0], high[i][1], high[i][2], 0};
    }
    int i = 10;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                t[i++] = {static_cast<std::uint8_t>(r * 51), static_cast<std::uint8_t>(g * 51),
                          static_cast<std::uint8_t>(b * 51), 0};
    for (int k = 0; i < 246; ++i, ++k) {
        const auto v = static_cast<std::uint8_t>(8 + k * 12);
        t[i] = {v, v, v, 0};
    }
    return t;
}

} // namespace

const TDXDrawColorTable& SystemPaletteTable() {
    static const TDXDrawColorTable table = MakeSystemPalette();
    return table;
}

// ---- Construction and destruction --------------------------------------------------------------

TCustomDXDraw::TCustomDXDraw(QWidget* parent) : QWidget(parent) {
    FDisplay = std::make_unique<TDXDrawDisplay>();
    ColorTable = SystemPaletteTable();
    DefaultColorTable = SystemPaletteTable();
    DeriveOptions();
    // The control paints every pixel itself from the presentation image.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    resize(100, 100);
    ParentChanged();
}

TCustomDXDraw::~TCustomDXDraw() {
    try {
        Finalize();
    } catch (const std::exception& E) {
        ReportError(this, E);
    }
    try {
        NotifyEventList(dnDestroying);
    } catch (const std::exception& E) {
        ReportError(this, E);
    }
    FDisplay.reset();
    FFormHook.reset();
    FNotifyEventList.clear();
}

void TCustomDXDraw::Loaded() {
    FLoading = false;
    if (FAutoSize) {
        FSurfaceWidth = width();
        FSurfaceHeight = height();
    }
    NotifyEventList(dnSurfaceSize);
    if (FAutoInitialize && !FFormHook) Initialize();
}

// ---- Properties --------------------------------------------------------------------------------

void TCustomDXDraw::SetAutoSize(bool Value) {
    if (FAutoSize == Value) return;
    FAutoSize = Value;
    if (FAutoSize) SetSize(width(), height());
}

void TCustomDXDraw::SetColor(TColor Value) {
    FColor = Value;
    update();
}

void TCustomDXDraw::SetOptions(TDXDrawOptions Value) {
    FOptions = Value;
    DeriveOptions();
}

void TCustomDXDraw::DeriveOptions() {
    if (FInitialized) {
        constexpr std::uint16_t buildTime = 0x7F37;
        TDXDrawOptions o = TDXDrawOptions::FromBits(static_cast<std::uint16_t>(
            (FNowOptions.Bits() & buildTime) | (FOptions.Bits() & ~buildTime)));
        if (!o.Contains(do3D))
            for (TDXDrawOption x : {doRetainedMode, doHardware, doSelectDriver, doZBuffer})
                o.Exclude(x);
        FNowOptions = o;
        return;
    }
    TDXDrawOptions o = FOptions;
    if (!o.Contains(doFullScreen))
        for (TDXDrawOption x : {doNoWindowChange, doAllowReboot, doAllowPalette256, doFlip})
            o.Exclude(x);
    if (!o.Contains(do3D))
        for (TDXDrawOption x :
             {doDirectX7Mode, doRetainedMode, doHardware, doSelectDriver, doZBuffer})
            o.Exclude(x);
    if (o.Contains(doSystemMemory)) o.Exclude(doFlip);
    if (o.Contains(doDirectX7Mode)) o.Exclude(doRetainedMode);
    o.Exclude(doHardware);
    FNowOptions = o;
}

TDirectDraw* TCustomDXDraw::Device() const {
    return FDriver ? FDriver->Device() : nullptr;
}
TDirectDrawSurface* TCustomDXDraw::Primary() const {
    return FDriver ? FDriver->Primary() : nullptr;
}
TDirectDrawSurface* TCustomDXDraw::Surface() const {
    return FDriver ? FDriver->Surface() : nullptr;
}
TDirectDrawClipper* TCustomDXDraw::Clipper() const {
    return FDriver ? FDriver->Clipper() : nullptr;
}
TDirectDrawPalette* TCustomDXDraw::Palette() const {
    return FDriver ? FDriver->Palette() : nullptr;
}

int TCustomDXDraw::SurfaceWidth() const {
    TDirectDrawSurface* back = Surface();
    if (back && back->SurfaceInterface()) return back->Width();
    return FSurfaceWidth;
}

int TCustomDXDraw::SurfaceHeight() const {
    TDirectDrawSurface* back = Surface();
    if (back && back->SurfaceInterface()) return back->Height();
    return FSurfaceHeight;
}

void TCustomDXDraw::SetSurfaceWidth(int Value) {
    if (FLoading)
        FSurfaceWidth = Value;
    else
        SetSize(Value, SurfaceHeight());
}

void TCustomDXDraw::SetSurfaceHeight(int Value) {
    if (FLoading)
        FSurfaceHeight = Value;
    else
        SetSize(SurfaceWidth(), Value);
}

void TCustomDXDraw::SetDriverGuid(const GUID* Value) {
    // Always a copy: a reference to the caller's identifier could outlive it.
    if (Value)
        FDriverGuid = *Value;
    else
        FDriverGuid.reset();
}

// ---- Listeners ---------------------------------------------------------------------------------

void TCustomDXDraw::RegisterListener(TDXDrawNotifyEvent Callback, void* Data) {
    if (!Callback) throw EDXDrawError("No listener callback given");
    UnregisterListener(Callback, Data);
    FNotifyEventList.push_back({Callback, Data});
    Callback(Data, this, dnSurfaceSize);
    if (FInitialized) {
        Callback(Data, this, dnInitialize);
        if (FSurfaceInitializeFired) Callback(Data, this, dnInitializeSurface);
        if (FRestoreNotifySuppress == 0) Callback(Data, this, dnRestore);
    }
}

void TCustomDXDraw::UnregisterListener(TDXDrawNotifyEvent Callback, void* Data) {
    auto it =
        std::find_if(FNotifyEventList.begin(), FNotifyEventList.end(),
                     [&](const TListener& l) { return l.Callback == Callback && l.Data == Data; });
    if (it == FNotifyEventList.end()) return;
    FNotifyEventList.erase(it);
    if (FSurfaceInitializeFired) Callback(Data, this, dnFinalizeSurface);
    if (FInitialized) Callback(Data, this, dnFinalize);
}

void TCustomDXDraw::NotifyEventList(TDXDrawNotifyKind NotifyType) {
    // From the last registered to the first. A listener may unregister itself or others while
    // being told; those removed meanwhile are skipped and nobody is told twice.
    const std::vector<TListener> snapshot = FNotifyEventList;
    for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it) {
        const bool still =
            std::any_of(FNotifyEventList.begin(), FNotifyEventList.end(), [&](const TListener& l) {
                return l.Callback == it->Callback && l.Data == it->Data;
            });
        if (still) it->Callback(it->Data, this, NotifyType);
    }
}

// ---- Events ------------------------------------------------------------------------------------

void TCustomDXDraw::HandleFinalize() {
    if (OnFinalize) OnFinalize(this);
}
void TCustomDXDraw::HandleFinalizeSurface() {
    if (OnFinalizeSurface) OnFinalizeSurface(this);
}
void TCustomDXDraw::HandleInitialize() {
    if (OnInitialize) OnInitialize(this);
}
void TCustomDXDraw::HandleInitializeSurface() {
    if (OnInitializeSurface) OnInitializeSurface(this);
}
void TCustomDXDraw::HandleInitializing() {
    if (OnInitializing) OnInitializing(this);
}
void TCustomDXDraw::HandleRestoreSurface() {
    if (OnRestoreSurface) OnRestoreSurface(this);
}

// ---- Building and tearing down -----------------------------------------------------------------

void TCustomDXDraw::Initialize() {
    FCalledDoInitialize = true;
    Finalize();
    if (!FForm) throw EDXDrawError(SNoForm);
    try {
        HandleInitializing();
        FUpdating = true;
        FInitializeBegun = true;
        try {
            NotifyEventList(dnInitializing);
            if (FNowOptions.Contains(doFlip))
                FDriver = std::make_unique<TDXDrawDriverFlip>(DriverSetup());
            else
                FDriver = std::make_unique<TDXDrawDriverBlt>(DriverSetup());
            FDisplay->SetDevice(FDriver->Device());
            ApplyCooperativeLevel();
            if (FNowOptions.Contains(doFullScreen) &&
                !FDisplay->ChangeMode(FDisplay->Width(), FDisplay->Height(), FDisplay->BitCount()))
                throw EDXDrawError(Format(SDisplayModeChange, FDisplay->Width(), FDisplay->Height(),
                                          FDisplay->BitCount()));
            if (FAutoSize) {
                FSurfaceWidth = width();
                FSurfaceHeight = height();
            }
            FDriver->Initialize(FSurfaceWidth, FSurfaceHeight);
            TakeSystemMemoryFromDriver();
            FFrameDue = true;
        } catch (...) {
            FUpdating = false;
            throw;
        }
        FUpdating = false;
        FInitialized = true;
        ++FRestoreNotifySuppress;
    } catch (...) {
        // The failure that stopped the build is the one reported; a further error while tearing
        // down would only hide it.
        try {
            Finalize();
        } catch (...) {
        }
        throw;
    }
    try {
        NotifyEventList(dnSurfaceSize);
        NotifyEventList(dnInitialize);
        FInitializeFired = true;
        HandleInitialize();
        NotifyEventList(dnInitializeSurface);
        FSurfaceInitializeFired = true;
        HandleInitializeSurface();
    } catch (...) {
        --FRestoreNotifySuppress;
        throw;
    }
    --FRestoreNotifySuppress;
    Restore();
}

void TCustomDXDraw::Finalize() {
    if (!FInitializeBegun) return;
    if (TDirectDrawSurface* back = Surface(); back && back->SurfaceInterface()) {
        FSurfaceWidth = back->Width();
        FSurfaceHeight = back->Height();
    }
    FDisplay->ClearModes();
    FUpdating = true;
    // Whatever a handler or listener raises, the display is torn down completely; the first
    // error is passed on afterwards.
    std::exception_ptr error;
    try {
        if (FSurfaceInitializeFired) {
            FSurfaceInitializeFired = false;
            HandleFinalizeSurface();
        }
    } catch (...) {
        error = std::current_exception();
    }
    try {
        NotifyEventList(dnFinalizeSurface);
    } catch (...) {
        if (!error) error = std::current_exception();
    }
    try {
        if (FInitializeFired) {
            FInitializeFired = false;
            HandleFinalize();
        }
    } catch (...) {
        if (!error) error = std::current_exception();
    }
    try {
        NotifyEventList(dnFinalize);
    } catch (...) {
        if (!error) error = std::current_exception();
    }
    FInitializeBegun = false;
    FInitialized = false;
    DeriveOptions();
    FDisplay->SetDevice(nullptr);
    FDriver.reset();
    FUpdating = false;
    if (error) std::rethrow_exception(error);
}

void TCustomDXDraw::Restore() {
    if (!FInitialized || FUpdating) return;
    struct TUpdatingScope {
        bool& Flag;
        explicit TUpdatingScope(bool& f) : Flag(f) { Flag = true; }
        ~TUpdatingScope() { Flag = false; }
    } updating(FUpdating);
    if (!FDriver->Restore()) return;
    FFrameDue = true; // both surfaces were cleared
    Primary()->SetPalette(Palette());
    Surface()->SetPalette(Palette());
    ApplyColorTable(DefaultColorTable);
    NotifyEventList(dnRestore);
    HandleRestoreSurface();
    ApplyColorTable(ColorTable);
}

void TCustomDXDraw::PaletteEntries(const TDXDrawColorTable& Table, PALETTEENTRY* Entries) const {
    for (int i = 0; i < 256; ++i)
        Entries[i] = PALETTEENTRY{Table[i].Red, Table[i].Green, Table[i].Blue, 0};
    if (!FNowOptions.Contains(doAllowPalette256)) {
        const TDXDrawColorTable& sys = SystemPaletteTable();
        for (int i :
             {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 246, 247, 248, 249, 250, 251, 252, 253, 254, 255})
            Entries[i] = PALETTEENTRY{sys[i].Red, sys[i].Green, sys[i].Blue, 0};
    }
    for (int i = 0; i < 256; ++i)
        Entries[i].peFlags = 0x40;
}

void TCustomDXDraw::ApplyColorTable(const TDXDrawColorTable& Table) {
    TDirectDrawPalette* palette = Palette();
    if (!FInitialized || !palette) return;
    PALETTEENTRY entries[256];
    PaletteEntries(Table, entries);
    palette->SetEntries(0, 256, entries);
    FFrameDue = true;
}

TDXDrawDriverSetup TCustomDXDraw::DriverSetup() const {
    TDXDrawDriverSetup setup;
    setup.Options = FOptions;
    setup.EffectiveOptions = FNowOptions;
    setup.DriverGuid = FDriverGuid;
    setup.Window = const_cast<TCustomDXDraw*>(this);
    PaletteEntries(ColorTable, setup.Palette.data());
    return setup;
}

void TCustomDXDraw::ApplyCooperativeLevel() {
    TDirectDraw* device = Device();
    if (!device || !device->DrawInterface()) return;
    QWidget* window = FForm ? FForm : this;
    DWORD flags;
    if (FNowOptions.Contains(doFullScreen)) {
        flags = DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE | DDSCL_ALLOWMODEX;
        if (FNowOptions.Contains(doNoWindowChange)) flags |= DDSCL_NOWINDOWCHANGES;
        if (FNowOptions.Contains(doAllowReboot)) flags |= DDSCL_ALLOWREBOOT;
    } else {
        flags = DDSCL_NORMAL;
    }
    device->SetLastResult(device->DrawInterface()->SetCooperativeLevel(window, flags));
}

// ---- Per frame ---------------------------------------------------------------------------------

bool TCustomDXDraw::CheckSurfaces() {
    TDirectDrawSurface* primary = Primary();
    TDirectDrawSurface* back = Surface();
    if (!FInitialized || FUpdating || !primary || !primary->SurfaceInterface()) return false;
    const bool primaryLost = primary->SurfaceInterface()->IsLost() == DDERR_SURFACELOST;
    const bool backLost =
        back && back->SurfaceInterface() && back->SurfaceInterface()->IsLost() == DDERR_SURFACELOST;
    if (!primaryLost && !backLost) return true;
    Restore();
    // Restoring may have torn the display down (a listener failing): ask the driver again.
    primary = Primary();
    back = Surface();
    if (!primary || !primary->SurfaceInterface() || !back || !back->SurfaceInterface())
        return false;
    return primary->SurfaceInterface()->IsLost() == DD_OK &&
           back->SurfaceInterface()->IsLost() == DD_OK;
}

bool TCustomDXDraw::CanDraw() {
    TDirectDrawSurface* back = Surface();
    return FInitialized && !FUpdating && back && back->SurfaceInterface() && CheckSurfaces();
}

void TCustomDXDraw::Flip() {
    Present(std::nullopt);
}

void TCustomDXDraw::Flip(const TRect& Part) {
    if (FFrameDue) {
        Present(std::nullopt);
        return;
    }
    // What an earlier partial Flip left unpresented goes along, as one rectangle.
    TRect part = Part;
    if (FUnpresented.Width() > 0 && FUnpresented.Height() > 0) {
        if (part.Width() > 0 && part.Height() > 0)
            part =
                TRect{std::min(part.Left, FUnpresented.Left), std::min(part.Top, FUnpresented.Top),
                      std::max(part.Right, FUnpresented.Right),
                      std::max(part.Bottom, FUnpresented.Bottom)};
        else
            part = FUnpresented;
    }
    Present(part);
}

void TCustomDXDraw::Present(const std::optional<TRect>& Part) {
    // A part drawn now but not presented must reach the window with a later Flip.
    auto keep = [this, &Part] {
        if (Part) FUnpresented = *Part;
    };
    if (!FInitialized || FUpdating || !CheckSurfaces()) {
        keep();
        return;
    }
    TDXDrawFlipTarget target;
    const QPoint origin = mapToGlobal(QPoint(0, 0));
    target.ClientArea = Bounds(origin.x(), origin.y(), width(), height());
    target.Options = FNowOptions;
    target.FormActive = FForm && FForm->isActiveWindow();
    target.Part = Part;
    TDXDrawFlipResult result = FDriver->Flip(target);
    if (result.WaitedForVerticalBlank) ++FVBlankWaits;
    if (result.Presented) {
        FFrameDue = false;
        FUnpresented = TRect{};
        if (!result.Changed.isEmpty()) FPresented = true;
    } else {
        keep();
    }
    ShowPresented(result.Image, result.Changed, result.Segment);
}

void TCustomDXDraw::SetSize(int ASurfaceWidth, int ASurfaceHeight) {
    if ((ASurfaceWidth == SurfaceWidth() && ASurfaceHeight == SurfaceHeight()) || FUpdating) return;
    if (FInitialized) {
        if (!FDriver->CanSetSize()) return;
        FSurfaceWidth = std::max(ASurfaceWidth, 1);
        FSurfaceHeight = std::max(ASurfaceHeight, 1);
        try {
            ResizeSurface();
        } catch (...) {
            try {
                Finalize();
            } catch (...) {
            }
            throw;
        }
    } else {
        FSurfaceWidth = ASurfaceWidth;
        FSurfaceHeight = ASurfaceHeight;
    }
    NotifyEventList(dnSurfaceSize);
}

void TCustomDXDraw::ResizeSurface() {
    ++FRestoreNotifySuppress;
    try {
        NotifyEventList(dnFinalizeSurface);
        if (FSurfaceInitializeFired) {
            FSurfaceInitializeFired = false;
            HandleFinalizeSurface();
        }
        FDriver->SetSize(FSurfaceWidth, FSurfaceHeight);
        TakeSystemMemoryFromDriver();
        FFrameDue = true;
        NotifyEventList(dnInitializeSurface);
        FSurfaceInitializeFired = true;
        HandleInitializeSurface();
    } catch (...) {
        --FRestoreNotifySuppress;
        throw;
    }
    --FRestoreNotifySuppress;
}

void TCustomDXDraw::TakeSystemMemoryFromDriver() {
    if (FDriver->SystemMemory())
        FNowOptions.Include(doSystemMemory);
    else
        FNowOptions.Exclude(doSystemMemory);
}
