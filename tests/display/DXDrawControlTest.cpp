// Tests of the display control's life cycle: notification orders, listeners, first-show
// initialisation, options, build failures and teardown, over the real display module.
#include <QApplication>
#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "display/DXClass.Forms.h"
#include "display/DXDraws.Control.h"
#include "display/DXDraws.Driver.h"
#include "tests/support/DisplayForm.h"

namespace {

void SetFaults(DWORD faults) {
    LoadPlatformFunctionAs<TDirectDrawSetFaults>("DDraw.dll", "DirectDrawSetFaults")(faults);
}

const char* KindName(TDXDrawNotifyKind k) {
    static const char* names[] = {"dnDestroying",        "dnInitializing", "dnInitialize",
                                  "dnInitializeSurface", "dnFinalize",     "dnFinalizeSurface",
                                  "dnRestore",           "dnSurfaceSize"};
    return names[k];
}

// Everything the control tells, in order: listener notifications as "<tag>:<kind>", events by name.
struct TLog {
    std::vector<std::string> Lines;
    void Clear() { Lines.clear(); }
};

struct TListenerTag {
    TLog* Log;
    std::string Tag;
    // Runs inside the notification, after it has been logged.
    std::function<void(TDXDrawNotifyKind)> Then;
};

void Listen(void* Data, TCustomDXDraw*, TDXDrawNotifyKind Kind) {
    auto* tag = static_cast<TListenerTag*>(Data);
    tag->Log->Lines.push_back(tag->Tag + ":" + KindName(Kind));
    if (tag->Then) tag->Then(Kind);
}

void HookEvents(TCustomDXDraw* dx, TLog& log) {
    dx->OnInitializing = [&log](QObject*) { log.Lines.push_back("OnInitializing"); };
    dx->OnInitialize = [&log](QObject*) { log.Lines.push_back("OnInitialize"); };
    dx->OnInitializeSurface = [&log](QObject*) { log.Lines.push_back("OnInitializeSurface"); };
    dx->OnRestoreSurface = [&log](QObject*) { log.Lines.push_back("OnRestoreSurface"); };
    dx->OnFinalizeSurface = [&log](QObject*) { log.Lines.push_back("OnFinalizeSurface"); };
    dx->OnFinalize = [&log](QObject*) { log.Lines.push_back("OnFinalize"); };
}

using Lines = std::vector<std::string>;

class DXDrawLife : public ::testing::Test {
protected:
    void SetUp() override {
        SetFaults(0);
        Window = std::make_unique<TDisplayForm<>>(600, 480);
        Form = Window->Form();
        DX = Window->DX();
    }
    void TearDown() override {
        Window.reset();
        SetFaults(0);
    }
    // Listener data lives as long as the fixture: the form, deleted last, still tells them.
    TListenerTag& Tag(const char* Name) { return Tags.emplace_back(TListenerTag{&Log, Name, {}}); }
    TLog Log;
    std::deque<TListenerTag> Tags;
    std::unique_ptr<TDisplayForm<>> Window;
    TDXForm* Form = nullptr;
    TDXDraw* DX = nullptr;
};

TEST_F(DXDrawLife, NewControlDefaults) {
    TDXDraw plain;
    EXPECT_EQ(plain.width(), 100);
    EXPECT_EQ(plain.height(), 100);
    EXPECT_EQ(plain.Options().Bits(), 0x348C);
    EXPECT_TRUE(plain.AutoInitialize());
    EXPECT_TRUE(plain.AutoSize());
    EXPECT_EQ(plain.Color(), clBtnFace);
    EXPECT_EQ(plain.OwnerForm(), nullptr);
    EXPECT_EQ(plain.Display().Width(), 640);
    EXPECT_EQ(plain.Display().Height(), 480);
    EXPECT_EQ(plain.Display().BitCount(), 8);
    EXPECT_TRUE(plain.Display().FixedBitCount);
    EXPECT_TRUE(plain.Display().FixedRatio);
    EXPECT_FALSE(plain.Display().FixedSize);
    EXPECT_TRUE(plain.ColorTable == plain.DefaultColorTable);
    EXPECT_TRUE(plain.testAttribute(Qt::WA_OpaquePaintEvent));
    EXPECT_TRUE(plain.testAttribute(Qt::WA_NoSystemBackground));
    EXPECT_EQ(DX->OwnerForm(), Form);
}

TEST_F(DXDrawLife, GameOptionsResolveToWindowedBltDisplayOnDirectX7Device) {
    EXPECT_EQ(DX->EffectiveOptions(), (TDXDrawOptions{doWaitVBlank, doCenter}));
    Form->show();
    ASSERT_TRUE(DX->Initialized());
    EXPECT_EQ(DX->EffectiveOptions(), (TDXDrawOptions{doWaitVBlank, doCenter}));
    EXPECT_NE(dynamic_cast<TDXDrawDriverBlt*>(DX->Driver()), nullptr);
    ASSERT_NE(DX->Device(), nullptr);
    EXPECT_NE(DX->Device()->DrawInterface7(), nullptr);
    ASSERT_NE(DX->Surface(), nullptr);
    EXPECT_EQ(DX->Surface()->Width(), 600);
    EXPECT_EQ(DX->Surface()->Height(), 480);
    EXPECT_EQ(DX->SurfaceWidth(), 600);
    EXPECT_TRUE(DX->Primary()->HasClipper());
    EXPECT_EQ(DX->Clipper()->Handle(), DX);
    EXPECT_TRUE(DX->CanDraw());
    // Run-time options follow Options while initialised; build-time ones keep their values.
    DX->SetOptions(TDXDrawOptions{doStretch, doFullScreen, do3D});
    EXPECT_EQ(DX->EffectiveOptions(), (TDXDrawOptions{doStretch}));
    DX->SetOptions(DefaultDXDrawOptions);
    EXPECT_EQ(DX->EffectiveOptions(), (TDXDrawOptions{doWaitVBlank, doCenter}));
}

TEST(DXDrawOptions, DerivationWhileNotInitialised) {
    TDXDraw dx;
    dx.SetOptions(
        TDXDrawOptions{doNoWindowChange, doAllowReboot, doAllowPalette256, doFlip, doStretch});
    EXPECT_EQ(dx.EffectiveOptions(), (TDXDrawOptions{doStretch}));
    dx.SetOptions(TDXDrawOptions{doFullScreen, doFlip, doSystemMemory, doAllowReboot});
    EXPECT_EQ(dx.EffectiveOptions(), (TDXDrawOptions{doFullScreen, doSystemMemory, doAllowReboot}));
    dx.SetOptions(TDXDrawOptions{do3D, doDirectX7Mode, doRetainedMode, doHardware, doZBuffer,
                                 doSelectDriver});
    EXPECT_EQ(dx.EffectiveOptions(),
              (TDXDrawOptions{do3D, doDirectX7Mode, doZBuffer, doSelectDriver}));
    dx.SetOptions(TDXDrawOptions{do3D, doRetainedMode});
    EXPECT_EQ(dx.EffectiveOptions(), (TDXDrawOptions{do3D, doRetainedMode}));
}

TEST_F(DXDrawLife, NotificationOrderAtStartAndEnd) {
    TListenerTag& first = Tag("A");
    TListenerTag& second = Tag("B");
    DX->RegisterListener(Listen, &first);
    DX->RegisterListener(Listen, &second);
    EXPECT_EQ(Log.Lines, (Lines{"A:dnSurfaceSize", "B:dnSurfaceSize"}));
    Log.Clear();
    HookEvents(DX, Log);
    bool destroyedSeen = false;
    Form->show();
    EXPECT_EQ(Log.Lines,
              (Lines{"OnInitializing", "B:dnInitializing", "A:dnInitializing", "B:dnSurfaceSize",
                     "A:dnSurfaceSize", "B:dnInitialize", "A:dnInitialize", "OnInitialize",
                     "B:dnInitializeSurface", "A:dnInitializeSurface", "OnInitializeSurface",
                     "B:dnRestore", "A:dnRestore", "OnRestoreSurface"}));
    EXPECT_EQ(DX->RestoreNotifySuppress(), 0);
    EXPECT_FALSE(DX->Updating());
    Log.Clear();
    first.Then = [&](TDXDrawNotifyKind k) {
        if (k == dnDestroying) destroyedSeen = true;
    };
    delete Form; // the form's destruction finalises the display, then the control goes
    Form = nullptr;
    EXPECT_EQ(Log.Lines, (Lines{"OnFinalizeSurface", "B:dnFinalizeSurface", "A:dnFinalizeSurface",
                                "OnFinalize", "B:dnFinalize", "A:dnFinalize", "B:dnDestroying",
                                "A:dnDestroying"}));
    EXPECT_TRUE(destroyedSeen);
}

TEST_F(DXDrawLife, ListenersRegisteredBeforeDuringAndAfterInitialisation) {
    TListenerTag& early = Tag("E");
    TListenerTag& inInit = Tag("I");
    TListenerTag& inSurf = Tag("S");
    TListenerTag& late = Tag("L");
    DX->RegisterListener(Listen, &early);
    EXPECT_EQ(Log.Lines, (Lines{"E:dnSurfaceSize"}));
    DX->OnInitialize = [&](QObject*) {
        Log.Lines.push_back("OnInitialize");
        DX->RegisterListener(Listen, &inInit);
    };
    DX->OnInitializeSurface = [&](QObject*) {
        Log.Lines.push_back("OnInitializeSurface");
        DX->RegisterListener(Listen, &inSurf);
    };
    Log.Clear();
    Form->show();
    // Registered during OnInitialize: told the state so far, no restore (the build sends it);
    // from then on it takes part in the broadcasts, newest first.
    EXPECT_EQ(
        Log.Lines,
        (Lines{"E:dnInitializing", "E:dnSurfaceSize", "E:dnInitialize", "OnInitialize",
               "I:dnSurfaceSize", "I:dnInitialize", "I:dnInitializeSurface",
               "E:dnInitializeSurface", "OnInitializeSurface", "S:dnSurfaceSize", "S:dnInitialize",
               "S:dnInitializeSurface", "S:dnRestore", "I:dnRestore", "E:dnRestore"}));
    Log.Clear();
    DX->RegisterListener(Listen, &late);
    EXPECT_EQ(Log.Lines,
              (Lines{"L:dnSurfaceSize", "L:dnInitialize", "L:dnInitializeSurface", "L:dnRestore"}));
    Log.Clear();
    // Registering a pair again first takes it out (telling it the display goes away for it).
    DX->RegisterListener(Listen, &early);
    EXPECT_EQ(Log.Lines, (Lines{"E:dnFinalizeSurface", "E:dnFinalize", "E:dnSurfaceSize",
                                "E:dnInitialize", "E:dnInitializeSurface", "E:dnRestore"}));
    Log.Clear();
    DX->UnregisterListener(Listen, &late);
    DX->UnregisterListener(Listen, &late); // no longer registered: nothing
    EXPECT_EQ(Log.Lines, (Lines{"L:dnFinalizeSurface", "L:dnFinalize"}));
    Log.Clear();
    DX->Restore();
    EXPECT_EQ(Log.Lines, (Lines{"E:dnRestore", "S:dnRestore", "I:dnRestore"}));
}

TEST_F(DXDrawLife, ListenerLeavingDuringBroadcastIsNotCalledAgain) {
    TListenerTag& a = Tag("A");
    TListenerTag& b = Tag("B");
    DX->RegisterListener(Listen, &a);
    DX->RegisterListener(Listen, &b);
    b.Then = [&](TDXDrawNotifyKind k) {
        if (k == dnRestore) DX->UnregisterListener(Listen, &a);
    };
    Form->show();
    Log.Clear();
    b.Then = {};
    DX->Restore();
    EXPECT_EQ(Log.Lines, (Lines{"B:dnRestore"}));
}

TEST_F(DXDrawLife, InitialisesOnFirstShowOnlyNotOnLoading) {
    int inits = 0;
    DX->OnInitialize = [&](QObject*) { ++inits; };
    DX->BeginLoading();
    DX->SetAutoSize(false);
    DX->SetAutoSize(true);
    DX->SetSurfaceWidth(320); // while loading only stored
    EXPECT_EQ(DX->SurfaceWidth(), 320);
    DX->Loaded(); // inside a form: waits for the show; AutoSize takes the control's size
    EXPECT_FALSE(DX->InitializeCalled());
    EXPECT_EQ(DX->SurfaceWidth(), 600);
    EXPECT_FALSE(DX->Initialized());
    Form->show();
    EXPECT_TRUE(DX->Initialized());
    EXPECT_EQ(inits, 1);
    Form->hide();
    Form->show();
    EXPECT_EQ(inits, 1);
    EXPECT_TRUE(DX->Initialized());
}

TEST_F(DXDrawLife, NoAutomaticInitialisationWhenTurnedOff) {
    DX->SetAutoInitialize(false);
    Form->show();
    EXPECT_FALSE(DX->InitializeCalled());
    DX->Initialize();
    EXPECT_TRUE(DX->Initialized());
}

TEST(DXDrawErrors, ControlOutsideAFormCannotInitialise) {
    SetFaults(0);
    TDXDraw dx;
    try {
        dx.Loaded(); // no form hook: loading ends in an initialisation, which has no form
        FAIL() << "no error";
    } catch (const EDXDrawError& e) {
        EXPECT_STREQ(e.what(), "Form not found");
    }
    EXPECT_TRUE(dx.InitializeCalled());
    EXPECT_FALSE(dx.Initialized());
    EXPECT_FALSE(dx.InitializeBegun());
    EXPECT_EQ(dx.Device(), nullptr);
}

TEST_F(DXDrawLife, RefusedPrimarySurfaceTearsDownAndPropagates) {
    TListenerTag& a = Tag("A");
    DX->RegisterListener(Listen, &a);
    HookEvents(DX, Log);
    Log.Clear();
    for (DWORD fault : {DDFAULT_REFUSE_SURFACES, DDFAULT_REFUSE_VIDEO_MEMORY}) {
        SetFaults(fault);
        try {
            DX->Initialize();
            FAIL() << "no error";
        } catch (const EDXDrawError& e) {
            EXPECT_STREQ(e.what(), "Primary Surface cannot be made");
        }
        EXPECT_FALSE(DX->Initialized());
        EXPECT_FALSE(DX->Updating());
        EXPECT_EQ(DX->Driver(), nullptr);
        EXPECT_EQ(DX->Device(), nullptr);
        EXPECT_EQ(DX->Primary(), nullptr);
        EXPECT_EQ(Log.Lines, (Lines{"OnInitializing", "A:dnInitializing", "A:dnFinalizeSurface",
                                    "A:dnFinalize"}));
        Log.Clear();
    }
    // No further automatic attempt once one was made.
    SetFaults(0);
    Form->show();
    EXPECT_FALSE(DX->Initialized());
    EXPECT_TRUE(DX->InitializeCalled());
    // A later explicit attempt succeeds.
    DX->Initialize();
    EXPECT_TRUE(DX->Initialized());
}

TEST_F(DXDrawLife, RefusedBackSurfaceTearsDownAndPropagates) {
    DX->SetAutoSize(false);
    DX->SetSurfaceWidth(20000); // beyond any surface the device makes, in either memory
    DX->SetAutoInitialize(false);
    try {
        DX->Initialize();
        FAIL() << "no error";
    } catch (const EDXDrawError& e) {
        EXPECT_STREQ(e.what(), "Surface cannot be made");
    }
    EXPECT_FALSE(DX->Initialized());
    EXPECT_EQ(DX->Device(), nullptr);
    EXPECT_EQ(DX->SurfaceWidth(), 20000); // the stored size survives the teardown
    DX->SetSurfaceWidth(200);
    DX->Initialize();
    EXPECT_EQ(DX->Surface()->Width(), 200);
}

TEST_F(DXDrawLife, ErrorOnFirstShowIsReportedNotThrownThroughTheWindowSystem) {
    TApplication app;
    std::string reported;
    app.OnException = [&](QObject*, const std::exception& e) { reported = e.what(); };
    SetFaults(DDFAULT_REFUSE_SURFACES);
    Form->show();
    EXPECT_EQ(reported, "Primary Surface cannot be made");
    EXPECT_FALSE(DX->Initialized());
    delete Form; // before the application object goes
    Form = nullptr;
}

TEST_F(DXDrawLife, FinalizeBeforeInitialiseOrTwiceDoesNothing) {
    TListenerTag& a = Tag("A");
    DX->RegisterListener(Listen, &a);
    HookEvents(DX, Log);
    Log.Clear();
    DX->Finalize();
    EXPECT_TRUE(Log.Lines.empty());
    Form->show();
    Log.Clear();
    DX->Finalize();
    EXPECT_EQ(Log.Lines,
              (Lines{"OnFinalizeSurface", "A:dnFinalizeSurface", "OnFinalize", "A:dnFinalize"}));
    EXPECT_EQ(DX->Device(), nullptr);
    EXPECT_EQ(DX->Surface(), nullptr);
    EXPECT_EQ(DX->SurfaceWidth(), 600);
    EXPECT_FALSE(DX->CanDraw());
    Log.Clear();
    DX->Finalize();
    EXPECT_TRUE(Log.Lines.empty());
}

TEST_F(DXDrawLife, RaisingFinaliseHandlerStillTearsEverythingDown) {
    Form->show();
    TListenerTag& a = Tag("A");
    DX->RegisterListener(Listen, &a);
    DX->OnFinalizeSurface = [](QObject*) { throw Exception("handler failed"); };
    Log.Clear();
    EXPECT_THROW(DX->Finalize(), Exception);
    EXPECT_EQ(Log.Lines, (Lines{"A:dnFinalizeSurface", "A:dnFinalize"}));
    EXPECT_FALSE(DX->Initialized());
    EXPECT_EQ(DX->Device(), nullptr);
    EXPECT_FALSE(DX->Updating());
}

TEST(DXDrawDisplaySettings, ValuesAndModeChanges) {
    TDXDraw dx;
    TDXDrawDisplay& d = dx.Display();
    d.SetWidth(-5);
    EXPECT_EQ(d.Width(), 0);
    try {
        d.SetBitCount(15);
        FAIL() << "no error";
    } catch (const EDirectDrawError& e) {
        EXPECT_STREQ(e.what(), "It should be either of 8 or 16 or 24 or 32");
    }
    EXPECT_EQ(d.BitCount(), 8);
    d.SetBitCount(32);
    EXPECT_EQ(d.BitCount(), 32);
    TDXDraw other;
    other.SetDisplay(d);
    EXPECT_EQ(other.Display().Width(), 0);
    EXPECT_EQ(other.Display().BitCount(), 32);
    // Without a device nothing can change.
    EXPECT_FALSE(d.ChangeMode(640, 480, 32));
    EXPECT_FALSE(d.ChangeMode(0, 480, 32));
    EXPECT_EQ(d.ModeCount(), 0);
}

TEST_F(DXDrawLife, FullScreenFlipDisplayChangesModeAndFlips) {
    SetFaults(0);
    DX->SetOptions(TDXDrawOptions{doFullScreen, doFlip});
    DX->Display().SetWidth(640);
    DX->Display().SetHeight(480);
    DX->Display().SetBitCount(32);
    Form->show();
    ASSERT_TRUE(DX->Initialized());
    EXPECT_NE(dynamic_cast<TDXDrawDriverFlip*>(DX->Driver()), nullptr);
    EXPECT_EQ(DX->Display().Width(), 640);
    EXPECT_GT(DX->Display().ModeCount(), 0);
    EXPECT_EQ(DX->Primary()->LastResult(), DD_OK);
    EXPECT_NE(DX->Surface()->SurfaceInterface(), nullptr);
    // The flip driver cannot resize: nothing happens and nothing is told.
    TListenerTag& a = Tag("A");
    DX->RegisterListener(Listen, &a);
    Log.Clear();
    const int w = DX->SurfaceWidth();
    DX->SetSize(w / 2, 10);
    EXPECT_TRUE(Log.Lines.empty());
    EXPECT_EQ(DX->SurfaceWidth(), w);
    DX->Flip();
    EXPECT_EQ(DX->Primary()->LastResult(), DD_OK);
    DX->Finalize();
    EXPECT_EQ(DX->Display().ModeCount(), 0); // enumerated afresh on the next use
}

TEST_F(DXDrawLife, ImpossibleDisplayModeIsRefused) {
    DX->SetOptions(TDXDrawOptions{doFullScreen});
    DX->Display().SetWidth(99999);
    DX->Display().SetHeight(480);
    DX->Display().SetBitCount(32);
    DX->Display().FixedSize = true;
    DX->SetAutoInitialize(false);
    try {
        DX->Initialize();
        FAIL() << "no error";
    } catch (const EDXDrawError& e) {
        EXPECT_STREQ(e.what(), "Display mode cannot be changed (99999x480 32bit)");
    }
    EXPECT_FALSE(DX->Initialized());
}

TEST_F(DXDrawLife, ThreeDimensionalDisplayIsRejectedClearly) {
    DX->SetOptions(TDXDrawOptions{do3D});
    DX->SetAutoInitialize(false);
    EXPECT_THROW(DX->Initialize(), EDXDrawError);
    EXPECT_FALSE(DX->Initialized());
    EXPECT_EQ(DX->Device(), nullptr);
}

} // namespace
