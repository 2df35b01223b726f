// The main window's definition: its controls from the window layout, then its non-visual
// components.
// The generated definition first: its set-up names the window after the form, which must not
// shadow the global Form1 declared by the header below.
#include "ui_MainForm.h"

#include "game/MainForm.h"

#include "controls/FontSubstitutes.h"
#include "controls/TextColours.h"
#include "controls/brixColorButton.h"
#include "display/DXClass.Timer.h"
#include "display/DXDraws.Control.h"
#include "graphics/DXImageList.h"
#include "graphics/DXSpriteEngine.h"
#include "platform/rtl/Exceptions.h"
#include "shell/GameIcon.h"
#include "sound/DXSounds.DXSound.h"
#include "sound/DXSounds.DXWaveList.h"

#include <QFile>
#include <QIcon>

// The pictures, sounds and icon are compiled into the program as resources of this library.
static void InitAssetResources() {
    Q_INIT_RESOURCE(assets);
}

TForm1::TForm1(QWidget* parent) : TDXForm(parent), FUi(std::make_unique<Ui::TForm1>()) {
    InitAssetResources();
    FUi->setupUi(this);

    DXDraw1 = FUi->DXDraw1;
    Panel1 = FUi->Panel1;
    lblTop = FUi->lblTop;
    lblHigh = FUi->lblHigh;
    lblMoves = FUi->lblMoves;
    btnOptions = FUi->btnOptions;
    btnScramble = FUi->btnScramble;
    btnHelp = FUi->btnHelp;
    RichEdit1 = FUi->RichEdit1;
    StartPos.Control = FUi->StartPos;
    StartPos.Items = TListBoxStrings(FUi->StartPos);

    setWindowTitle(QStringLiteral("Zelvan Free v1.0"));
    // Single fixed border with system menu, minimise and close; no maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(600, 480);
    setFont(MakeFont("MS Sans Serif", 10));
    setWindowIcon(GameIcon());

    for (TbrixColorButton* button : {btnOptions, btnScramble, btnHelp})
        ApplyCommonButtonLook(button);
    // The panel's texts: 10-pixel Liberation Sans in their own colours, the notes on black.
    QFont panelFont = font();
    panelFont.setFamily(QStringLiteral("Liberation Sans"));
    panelFont.setPixelSize(10);
    for (QWidget* text : std::initializer_list<QWidget*>{lblTop, lblHigh, lblMoves, RichEdit1})
        text->setFont(panelFont);
    SetTextColour(lblTop, Qt::yellow);
    SetTextColour(lblHigh, Qt::yellow);
    SetTextColour(lblMoves, Qt::cyan);
    SetTextColours(RichEdit1, Qt::green, Qt::black);
    btnOptions->onclick = [this](QObject* Sender) { btnOptionsclick(Sender); };
    btnHelp->onclick = [this](QObject* Sender) { btnHelpclick(Sender); };
    btnScramble->onclick = [this](QObject* Sender) { btnScrambleclick(Sender); };
    CreateKeysAndNames();

    PresentBoard();

    CreateComponents();
}

void TForm1::LoadAsset(const char* Kind, const char* Resource,
                       const std::function<void(TStream&)>& Read) {
    // An asset that cannot be read leaves its item empty (a picture then draws nothing, a sound
    // plays nothing); the problem is reported once the window is up.
    QFile file(QStringLiteral(":/assets/") + QString::fromLatin1(Resource));
    if (!file.open(QIODevice::ReadOnly)) {
        ReportErrors({Format("%s '%s' is missing from the program's resources", Kind, Resource)});
        return;
    }
    const QByteArray bytes = file.readAll();
    TReadOnlyMemoryStream stream(bytes.constData(), size_t(bytes.size()));
    try {
        Read(stream);
    } catch (const std::exception& E) {
        ReportErrors({Format("%s '%s' cannot be read: %s", Kind, Resource, E.what())});
    }
}

void TForm1::CreateComponents() {
    // As when a definition is read: each component is created with its loading flag set, gets its
    // properties, and all are told that loading has ended in definition order.
    DXImageList1 = new TDXImageList(this);
    DXImageList1->setObjectName(QStringLiteral("DXImageList1"));
    DXImageList1->BeginLoading();
    DXTimer1 = new TDXTimer(this);
    DXTimer1->setObjectName(QStringLiteral("DXTimer1"));
    DXTimer1->BeginLoading();
    DXSpriteEngine1 = new TDXSpriteEngine(this);
    DXSpriteEngine1->setObjectName(QStringLiteral("DXSpriteEngine1"));
    DXSpriteEngine1->BeginLoading();
    DXSound1 = new TDXSound(this);
    DXSound1->setObjectName(QStringLiteral("DXSound1"));
    DXSound1->BeginLoading();
    DXWaveList1 = new TDXWaveList(this);
    DXWaveList1->setObjectName(QStringLiteral("DXWaveList1"));
    DXWaveList1->BeginLoading();
    DXDraw1->BeginLoading();

    DXDraw1->SetOptions(DefaultDXDrawOptions);
    DXDraw1->SetAutoInitialize(true);
    DXDraw1->SetAutoSize(true);
    DXDraw1->SetSurfaceWidth(600);
    DXDraw1->OnInitialize = [this](QObject* Sender) { DXDraw1Initialize(Sender); };
    DXDraw1->OnFinalize = [this](QObject* Sender) { DXDraw1Finalize(Sender); };
    DXDraw1->OnMouseDown = [this](QObject* Sender, TMouseButton Button, TShiftState Shift, int X,
                                  int Y) { DXDraw1MouseDown(Sender, Button, Shift, X, Y); };
    DXDraw1->OnMouseMove = [this](QObject* Sender, TShiftState Shift, int X, int Y) {
        DXDraw1MouseMove(Sender, Shift, X, Y);
    };
    DXDraw1->OnMouseUp = [this](QObject* Sender, TMouseButton Button, TShiftState Shift, int X,
                                int Y) { DXDraw1MouseUp(Sender, Button, Shift, X, Y); };

    DXImageList1->SetDXDraw(DXDraw1);
    auto loadPicture = [this](TPictureCollectionItem* Item, const char* Resource) {
        LoadAsset("Picture", Resource, [Item](TStream& S) {
            Item->Picture().ReadData(S);
            // Kept only to make the surfaces again after a loss: as run-length data the three
            // pictures take about a quarter of their pixels' memory.
            if (auto* dib = dynamic_cast<TDIB*>(Item->Picture().Graphic())) dib->Compress();
        });
    };
    TPictureCollectionItem* frame = DXImageList1->Items().Add();
    loadPicture(frame, "frame.dib");
    frame->Transparent = true;
    frame->SetTransparentColor(clLime);
    TPictureCollectionItem* tile = DXImageList1->Items().Add();
    tile->SetName("Tile");
    loadPicture(tile, "tiles.dib");
    tile->PatternWidth = 34;
    tile->PatternHeight = 34;
    tile->Transparent = false;
    tile->SetTransparentColor(clBlack);
    TPictureCollectionItem* numbered = DXImageList1->Items().Add();
    loadPicture(numbered, "frame-numbered.dib");
    numbered->Transparent = true;
    numbered->SetTransparentColor(clLime);

    DXTimer1->SetActiveOnly(true);
    DXTimer1->SetEnabled(false);
    DXTimer1->SetInterval(0);
    DXTimer1->OnTimer = [this](QObject* Sender, int LagCount) { DXTimer1Timer(Sender, LagCount); };

    DXSpriteEngine1->SetDXDraw(DXDraw1);

    DXSound1->SetAutoInitialize(true);
    DXSound1->SetOptions({});
    DXWaveList1->SetDXSound(DXSound1);
    for (auto [name, resource] : {std::pair{"Click", "click.wav"}, std::pair{"Blip", "blip.wav"}}) {
        TWaveCollectionItem* item = DXWaveList1->Items().Add();
        item->SetName(name);
        item->SetLooped(false);
        item->SetMaxPlayingCount(0);
        LoadAsset("Sound", resource, [item](TStream& S) { item->Wave().ReadWaveData(S); });
    }

    DXDraw1->Loaded();
    DXImageList1->Loaded();
    DXTimer1->Loaded();
    DXSpriteEngine1->Loaded();
    // A sound device that cannot be used leaves the game silent; it never keeps the window away.
    try {
        DXSound1->Loaded();
    } catch (const std::exception& E) {
        SoundOff(E);
    }
    DXWaveList1->Loaded();
}
