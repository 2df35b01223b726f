// Pictures of the image list: holders, pattern cutting into surfaces, keyed pattern drawing.
#include "graphics/DXImageList.h"

#include <algorithm>

#include "platform/rtl/DXConsts.h"

namespace {

// Blocks of video-memory pictures reach at least this many pixels in each direction.
constexpr int BlockLimit = 512;

// The smallest whole number of pitches reaching BlockLimit, but no more than the whole pitches
// that fit into the picture (Size plus one trailing gap).
int64_t BlockSize(int64_t Pitch, int64_t Size, int64_t Skip) {
    const int64_t reach = (BlockLimit + Pitch - 1) / Pitch * Pitch;
    const int64_t fit = (Size + Skip) / Pitch * Pitch;
    return std::min(reach, fit);
}

} // namespace

// ---- TPicture ----

void TPicture::Assign(const TPicture& Source) {
    if (&Source == this) return;
    TGraphic* from = Source.Graphic();
    if (!from) {
        FGraphic.reset();
        return;
    }
    auto copy = std::make_unique<TDIB>();
    copy->Assign(from); // raises for a graphic a TDIB cannot take; this holder is untouched then
    FGraphic = std::move(copy);
}

void TPicture::ReadData(TStream& Stream) {
    auto dib = std::make_unique<TDIB>();
    dib->ReadPictureData(Stream);
    FGraphic = std::move(dib);
}

// ---- TPictureCollectionItem ----

TPictureCollectionItem::TPictureCollectionItem(TPictureCollection* Collection)
    : THashCollectionItem(Collection) {}

TPictureCollectionItem::~TPictureCollectionItem() {
    Finalize();
    ClearSurfaces(); // surfaces never outlive their item, ready or not
}

TPictureCollection* TPictureCollectionItem::PictureCollection() const {
    return static_cast<TPictureCollection*>(Collection());
}

TRect TPictureCollectionItem::PatternRect(int Index) const {
    if (Index < 0 || Index >= PatternCount()) return TRect{0, 0, 0, 0};
    return FPatterns[size_t(Index)].Rect;
}

TDirectDrawSurface* TPictureCollectionItem::PatternSurface(int Index) const {
    if (Index < 0 || Index >= PatternCount()) return nullptr;
    return FPatterns[size_t(Index)].Surface;
}

void TPictureCollectionItem::Draw(TDirectDrawSurface* Dest, int X, int Y, int Index) const {
    if (!FReady || Index < 0 || Index >= PatternCount() || !Dest) return;
    const TPictureCollectionItemPattern& pattern = FPatterns[size_t(Index)];
    Dest->Draw(X, Y, pattern.Rect, pattern.Surface, Transparent);
}

void TPictureCollectionItem::Initialize() {
    Finalize();
    TPictureCollection* collection = PictureCollection();
    FReady = collection && collection->Initialized();
}

void TPictureCollectionItem::Finalize() {
    if (FReady) {
        FReady = false;
        ClearSurfaces();
    }
}

void TPictureCollectionItem::ClearSurfaces() {
    FPatterns.clear();
    // First to last, as the surfaces were made.
    for (auto& surface : FSurfaces)
        surface.reset();
    FSurfaces.clear();
}

void TPictureCollectionItem::SetTransparentColor(TColor Value) {
    if (Value == FTransparentColor) return;
    FTransparentColor = Value;
    for (const auto& surface : FSurfaces) {
        try {
            surface->SetTransparentColor(surface->MatchColor(Value));
        } catch (const std::exception&) {
            // One surface that cannot take the key does not keep the others from it.
        }
    }
}

TDirectDrawSurface* TPictureCollectionItem::CreateSurfaceFrom(TDirectDraw* Device,
                                                              const TRect& Rect) {
    TDirectDrawSurface* surface =
        FSurfaces.emplace_back(std::make_unique<TDirectDrawSurface>(Device)).get();
    // Owned before it is loaded: a failing load leaves it in Surfaces until the next ClearSurfaces.
    surface->SystemMemory = SystemMemory;
    // A picture kept as run-length data is drawn through a copy that decodes it; the picture
    // itself stays compressed for the next restore.
    TGraphic* source = FPicture.Graphic();
    TDIB decoded;
    if (auto* dib = dynamic_cast<TDIB*>(source); dib && dib->Compressed()) {
        decoded.Assign(dib);
        source = &decoded;
    }
    surface->LoadFromGraphicRect(*source, 0, 0, Rect);
    surface->SetTransparentColor(surface->MatchColor(FTransparentColor));
    return surface;
}

void TPictureCollectionItem::AddPattern(TDirectDrawSurface* Surface, int Left, int Top) {
    TPictureCollectionItemPattern pattern;
    pattern.Surface = Surface;
    pattern.Rect = TRect{Left, Top, Left + Width(), Top + Height()};
    FPatterns.push_back(pattern);
}

void TPictureCollectionItem::Restore() {
    if (!FPicture.Graphic()) return;
    TPictureCollection* collection = PictureCollection();
    if (!FReady) {
        if (collection && collection->Initialized()) Initialize();
        if (!FReady) return;
    }
    ClearSurfaces();
    TDirectDraw* device = collection ? collection->DDraw() : nullptr;
    if (!device) return;

    const int pw = FPicture.Width();
    const int ph = FPicture.Height();
    const int width = Width();
    const int height = Height();
    if (pw <= 0 || ph <= 0) return;

    if (width == pw && height == ph) {
        AddPattern(CreateSurfaceFrom(device, TRect{0, 0, pw, ph}), 0, 0);
        return;
    }

    // Pitches of the pattern grid. A pitch of 0 or less has no patterns: the division below would
    // be undefined, and a negative gap cannot lay patterns out.
    const int64_t w2 = int64_t(width) + SkipWidth;
    const int64_t h2 = int64_t(height) + SkipHeight;
    if (w2 <= 0 || h2 <= 0 || width <= 0 || height <= 0) return;
    const int64_t columns = (int64_t(pw) + SkipWidth) / w2;
    const int64_t rows = (int64_t(ph) + SkipHeight) / h2;

    if (SystemMemory) {
        TDirectDrawSurface* surface = CreateSurfaceFrom(device, TRect{0, 0, pw, ph});
        for (int64_t r = 0; r < rows; ++r)
            for (int64_t c = 0; c < columns; ++c)
                AddPattern(surface, int(c * w2), int(r * h2));
        return;
    }

    const int64_t bw = BlockSize(w2, pw, SkipWidth);
    const int64_t bh = BlockSize(h2, ph, SkipHeight);
    if (bw <= 0 || bh <= 0) return;
    const int64_t bx = (pw + bw - 1) / bw;
    const int64_t by = (ph + bh - 1) / bh;
    for (int64_t y = 0; y < by; ++y) {
        for (int64_t x = 0; x < bx; ++x) {
            int64_t w = std::min(bw, std::max<int64_t>(pw - x * bw, 0));
            if (w == 0) w = bw;
            int64_t h = std::min(bh, std::max<int64_t>(ph - y * bh, 0));
            if (h == 0) h = bh;
            const int left = int(x * bw);
            const int top = int(y * bh);
            CreateSurfaceFrom(device, TRect{left, top, int(left + w), int(top + h)});
        }
    }
    for (int64_t r = 0; r < rows; ++r) {
        for (int64_t c = 0; c < columns; ++c) {
            const int64_t px = c * w2;
            const int64_t py = r * h2;
            TDirectDrawSurface* block = FSurfaces[size_t(px / bw + (py / bh) * bx)].get();
            AddPattern(block, int(px % bw), int(py % bh));
        }
    }
}

void TPictureCollectionItem::Assign(const THashCollectionItem& Source) {
    const auto* from = dynamic_cast<const TPictureCollectionItem*>(&Source);
    if (!from) {
        THashCollectionItem::Assign(Source);
        return;
    }
    if (from == this) return;
    const bool wasReady = FReady;
    Finalize();
    PatternHeight = from->PatternHeight;
    PatternWidth = from->PatternWidth;
    SkipHeight = from->SkipHeight;
    SkipWidth = from->SkipWidth;
    SystemMemory = from->SystemMemory;
    Transparent = from->Transparent;
    SetTransparentColor(from->FTransparentColor);
    FPicture.Assign(from->FPicture);
    if (wasReady) Restore();
}

// ---- TPictureCollection ----

TPictureCollection::TPictureCollection(TCustomDXImageList* Owner) : FOwner(Owner) {}

TPictureCollection::~TPictureCollection() {
    // Items finalise while the collection's own members still exist.
    Clear();
}

TPictureCollectionItem* TPictureCollection::Items(int Index) const {
    return static_cast<TPictureCollectionItem*>(THashCollection::Items(Index));
}

TPictureCollectionItem* TPictureCollection::Add() {
    return new TPictureCollectionItem(this);
}

TPictureCollectionItem* TPictureCollection::Find(const std::string& Name) const {
    const int index = IndexOf(Name);
    if (index < 0) throw EPictureCollectionError(Format(SImageNotFound, Name.c_str()));
    return Items(index);
}

bool TPictureCollection::Initialized() const {
    if (FDXDraw) return FDXDraw->Initialized();
    return FDevice != nullptr;
}

TDirectDraw* TPictureCollection::DDraw() const {
    if (FDXDraw) return FDXDraw->Initialized() ? FDXDraw->Device() : nullptr;
    return FDevice;
}

void TPictureCollection::Initialize(TCustomDXDraw* Control) {
    Finalize();
    FDXDraw = Control;
    if (!Initialized()) throw EPictureCollectionError(Format(SCannotInitialized, ClassName()));
    InitializeItems();
}

void TPictureCollection::InitializeOn(TDirectDraw* Device) {
    Finalize();
    FDevice = Device;
    if (!Initialized()) throw EPictureCollectionError(Format(SCannotInitialized, ClassName()));
    InitializeItems();
}

void TPictureCollection::InitializeItems() {
    for (int i = 0; i < Count(); ++i)
        Items(i)->Initialize();
}

void TPictureCollection::Finalize() {
    try {
        for (int i = 0; i < Count(); ++i)
            Items(i)->Finalize();
    } catch (...) {
        FDXDraw = nullptr;
        FDevice = nullptr;
        throw;
    }
    FDXDraw = nullptr;
    FDevice = nullptr;
}

void TPictureCollection::Restore() {
    for (int i = 0; i < Count(); ++i)
        Items(i)->Restore();
}

void TPictureCollection::Assign(const TPictureCollection& Source) {
    if (&Source == this) return;
    // Made to the same length first, then copied position by position; names come along.
    while (Count() > Source.Count())
        Delete(Count() - 1);
    while (Count() < Source.Count())
        Add();
    for (int i = 0; i < Source.Count(); ++i) {
        TPictureCollectionItem* item = Items(i);
        const TPictureCollectionItem* from = Source.Items(i);
        item->SetName(from->Name());
        item->Assign(*from);
    }
}

void TPictureCollection::ReadColorTable(TStream& Stream) {
    std::array<TRGBQuad, 256> table{};
    static_assert(sizeof(table) == 1024);
    Stream.ReadBuffer(table.data(), sizeof(table)); // a short table leaves the old one in place
    ColorTable = table;
}

void TPictureCollection::WriteColorTable(TStream& Stream) const {
    Stream.WriteBuffer(ColorTable.data(), sizeof(ColorTable));
}
