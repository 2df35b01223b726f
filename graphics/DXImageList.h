// The image list: named pictures cut into patterns held in drawing surfaces, drawn by index.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/HashCollections.h"
#include "display/DXDraws.Attachment.h"
#include "display/DXDraws.Control.h"
#include "graphics/DIB.h"
#include "platform/rtl/Exceptions.h"
#include "platform/ui/Components.h"

class TPictureCollection;
class TCustomDXImageList;

class EPictureCollectionError : public Exception {
public:
    using Exception::Exception;
};

// Holds one graphic or none and reports its size. Copying a picture gives the holder a graphic of
// its own (pictures are device-independent bitmaps, whose pixel stores are shared until changed).
class TPicture {
public:
    TPicture() = default;
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;

    TGraphic* Graphic() const { return FGraphic.get(); }
    // Takes ownership of Value (nullptr empties the holder).
    void SetGraphic(std::unique_ptr<TGraphic> Value) { FGraphic = std::move(Value); }
    int Width() const { return FGraphic ? FGraphic->Width() : 0; }
    int Height() const { return FGraphic ? FGraphic->Height() : 0; }

    // Copies Source's graphic (or its emptiness). A graphic other than TDIB raises EConvertError
    // and leaves this holder as it was.
    void Assign(const TPicture& Source);
    // Reads a stored picture value (length-prefixed class name, then the picture). The holder
    // keeps its previous graphic when the data cannot be read.
    void ReadData(TStream& Stream);

private:
    std::unique_ptr<TGraphic> FGraphic;
};

// One pattern of a picture: its rectangle within the surface that holds it.
class TPictureCollectionItemPattern {
public:
    TRect Rect{};
    TDirectDrawSurface* Surface = nullptr; // not owned: the item's Surfaces own it
};

class TPictureCollectionItem : public THashCollectionItem {
public:
    // Appends a new item to Collection (which then owns it).
    explicit TPictureCollectionItem(TPictureCollection* Collection);
    ~TPictureCollectionItem() override;

    TPictureCollection* PictureCollection() const;

    // Pattern size: PatternWidth/PatternHeight when above 0, else the picture's size.
    int Width() const { return PatternWidth > 0 ? PatternWidth : FPicture.Width(); }
    int Height() const { return PatternHeight > 0 ? PatternHeight : FPicture.Height(); }

    int PatternCount() const { return int(FPatterns.size()); }
    // The empty rectangle / nullptr for an index outside 0 .. PatternCount - 1.
    TRect PatternRect(int Index) const;
    TDirectDrawSurface* PatternSurface(int Index) const;
    const std::vector<std::unique_ptr<TDirectDrawSurface>>& Surfaces() const { return FSurfaces; }

    // Copies pattern Index onto Dest with its top-left at (X, Y); keyed when Transparent. Nothing
    // happens when the item is not ready or the index is not a pattern's.
    void Draw(TDirectDrawSurface* Dest, int X, int Y, int Index) const;

    void Initialize();
    void Finalize();
    void Restore();
    void ClearSurfaces();

    bool Ready() const { return FReady; }

    TPicture& Picture() { return FPicture; }
    const TPicture& Picture() const { return FPicture; }
    void SetPicture(const TPicture& Value) { FPicture.Assign(Value); }

    TColor TransparentColor() const { return FTransparentColor; }
    // A new colour re-keys every surface; the current colour touches nothing.
    void SetTransparentColor(TColor Value);

    // Another picture item: its settings and picture (not its name), re-restoring when this item
    // was ready. Any other item: the named-item copy (the name).
    void Assign(const THashCollectionItem& Source) override;

    int32_t PatternHeight = 0;
    int32_t PatternWidth = 0;
    int32_t SkipHeight = 0;
    int32_t SkipWidth = 0;
    bool SystemMemory = false;
    bool Transparent = true;

private:
    // A surface on the display's device holding Rect of the picture, keyed, appended to Surfaces.
    TDirectDrawSurface* CreateSurfaceFrom(TDirectDraw* Device, const TRect& Rect);
    void AddPattern(TDirectDrawSurface* Surface, int Left, int Top);

    TPicture FPicture;
    bool FReady = false;
    std::vector<TPictureCollectionItemPattern> FPatterns;
    std::vector<std::unique_ptr<TDirectDrawSurface>> FSurfaces;
    TColor FTransparentColor = clBlack;
};

// The pictures of an image list. While initialised against a display control its items keep
// their pictures in surfaces on the display's device.
class TPictureCollection : public THashCollection {
public:
    explicit TPictureCollection(TCustomDXImageList* Owner = nullptr);
    ~TPictureCollection() override;

    const char* ClassName() const { return "TPictureCollection"; }

    TPictureCollectionItem* Items(int Index) const;
    // Appends a new, empty item.
    TPictureCollectionItem* Add();
    // The item named Name (case ignored); EPictureCollectionError "Image '%s' not found".
    TPictureCollectionItem* Find(const std::string& Name) const;

    // The display the collection is initialised against, or nullptr.
    TCustomDXDraw* DXDraw() const { return FDXDraw; }
    TCustomDXImageList* Owner() const { return FOwner; }
    // DXDraw is set and initialised (or, bound straight to a device, that device is set).
    bool Initialized() const;
    // The device the items' surfaces are made on (nullptr when not initialised).
    TDirectDraw* DDraw() const;

    // Finalises, then binds to Control and initialises every item; "%s cannot be initialized"
    // when Control is not initialised.
    void Initialize(TCustomDXDraw* Control);
    // The same against a bare device, for pictures kept without a display control (tools, tests).
    // The caller keeps Device alive until Finalize.
    void InitializeOn(TDirectDraw* Device);
    // Finalises every item and unbinds, even when an item's finalisation raises.
    void Finalize();
    void Restore();

    // Copies Source item by item (the receiving collection gets as many items as Source has).
    void Assign(const TPictureCollection& Source);

    // Defined binary property "ColorTable": 256 entries of 4 bytes.
    std::array<TRGBQuad, 256> ColorTable{};
    void ReadColorTable(TStream& Stream);
    void WriteColorTable(TStream& Stream) const;

private:
    void InitializeItems();

    TCustomDXImageList* FOwner;
    TCustomDXDraw* FDXDraw = nullptr;
    TDirectDraw* FDevice = nullptr; // set only when bound straight to a device
};

// Image list component: attached to a display control, it keeps its pictures in surfaces while the
// display is initialised.
class TCustomDXImageList : public TComponent {
public:
    explicit TCustomDXImageList(QObject* Owner = nullptr);
    ~TCustomDXImageList() override;

    TCustomDXDraw* DXDraw() const { return FDXDraw.Source(); }
    // Detaches from the previous display (unregistering its listener) and attaches to Value.
    void SetDXDraw(TCustomDXDraw* Value) { FDXDraw.Attach(Value); }

    TPictureCollection& Items() { return *FItems; }
    const TPictureCollection& Items() const { return *FItems; }
    void SetItems(const TPictureCollection& Value) { FItems->Assign(Value); }

    // The display listener: initialise, finalise and restore reach the pictures; the display's
    // destruction detaches the list.
    void DXDrawNotifyEvent(TCustomDXDraw* Sender, TDXDrawNotifyKind NotifyKind);

private:
    std::unique_ptr<TPictureCollection> FItems;
    TDXDrawAttachment FDXDraw;
};

class TDXImageList : public TCustomDXImageList {
public:
    using TCustomDXImageList::TCustomDXImageList;
};
