// MIT-SHM puts on the toolkit's X connection, with the checks that make them safe to send.
#include "platform/ui/DirectPresenter.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QWindow>

#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/socket.h>

#include <cstdlib>
#include <cstring>

struct TDirectPresenter::TState {
    enum class TUse { Unknown, Yes, No };
    TUse Use = TUse::Unknown;
    xcb_connection_t* Connection = nullptr;
    // The window last checked, and whether its depth and visual take the image's pixels as they
    // are; the graphics context is made for it.
    xcb_window_t Window = 0;
    bool WindowFits = false;
    xcb_gcontext_t Gc = 0;
    // The segment, attached here and on the server.
    xcb_shm_seg_t Segment = 0;
    uint8_t* Pixels = nullptr;
    size_t Size = 0;
    // A request sent after the last put: its reply means the server has read the segment.
    bool PutPending = false;
    xcb_get_input_focus_cookie_t AfterPut{};
    // The caller's image segment attached on the server, and one the server refused.
    int ImageShmId = -1;
    xcb_shm_seg_t ImageSegment = 0;
    int RefusedShmId = -1;
};

namespace {

xcb_connection_t* ToolkitConnection() {
    if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// Whether the connection runs over a local socket. Only then is the server surely on this machine.
// One reached over the network (an ssh-forwarded display, say) is not asked to attach anything: a
// server that attached by id there would reach a segment of its own machine that happens to carry
// the same id. (The usual servers refuse a private segment to a client they cannot identify; this
// does not rely on it.)
bool LocalServer(xcb_connection_t* Connection) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    return getsockname(xcb_get_file_descriptor(Connection), reinterpret_cast<sockaddr*>(&address),
                       &length) == 0 &&
           address.ss_family == AF_UNIX;
}

// Whether the server lays out 32-bit pixels of depth 24 as a little-endian 0x00RRGGBB word, the
// layout of QImage::Format_RGB32.
bool ServerTakesRgb32(xcb_connection_t* Connection) {
    const xcb_setup_t* setup = xcb_get_setup(Connection);
    if (setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST) return false;
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f))
        if (f.data->depth == 24) return f.data->bits_per_pixel == 32;
    return false;
}

const xcb_visualtype_t* FindVisual(xcb_connection_t* Connection, xcb_visualid_t Id) {
    for (auto s = xcb_setup_roots_iterator(xcb_get_setup(Connection)); s.rem; xcb_screen_next(&s))
        for (auto d = xcb_screen_allowed_depths_iterator(s.data); d.rem; xcb_depth_next(&d))
            for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
                if (v.data->visual_id == Id) return v.data;
    return nullptr;
}

} // namespace

TDirectPresenter::TDirectPresenter() : F(std::make_unique<TState>()) {}

TDirectPresenter::~TDirectPresenter() {
    // The connection goes with the application; past that there is nothing left to free on it.
    if (F->Connection && F->Connection == ToolkitConnection()) {
        ReleaseSegment();
        if (F->ImageShmId >= 0) xcb_shm_detach(F->Connection, F->ImageSegment);
        if (F->Gc) xcb_free_gc(F->Connection, F->Gc);
        xcb_flush(F->Connection);
    } else if (F->Pixels) {
        shmdt(F->Pixels);
    }
}

bool TDirectPresenter::Usable() {
    if (F->Use == TState::TUse::Unknown) {
        F->Use = TState::TUse::No;
        xcb_connection_t* c = ToolkitConnection();
        if (!c || !LocalServer(c) || !ServerTakesRgb32(c)) return false;
        const xcb_query_extension_reply_t* shm = xcb_get_extension_data(c, &xcb_shm_id);
        if (!shm || !shm->present) return false;
        F->Connection = c;
        F->Use = TState::TUse::Yes;
    }
    return F->Use == TState::TUse::Yes;
}

bool TDirectPresenter::WindowFits(QWidget* Window) {
    const auto id = static_cast<xcb_window_t>(Window->winId());
    if (id == F->Window) return F->WindowFits;
    xcb_connection_t* c = F->Connection;
    if (F->Gc) {
        xcb_free_gc(c, F->Gc);
        F->Gc = 0;
    }
    F->Window = id;
    F->WindowFits = false;
    const auto attributes = xcb_get_window_attributes(c, id);
    const auto geometry = xcb_get_geometry(c, id);
    xcb_get_window_attributes_reply_t* a = xcb_get_window_attributes_reply(c, attributes, nullptr);
    xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(c, geometry, nullptr);
    if (a && g && g->depth == 24) {
        const xcb_visualtype_t* v = FindVisual(c, a->visual);
        F->WindowFits = v && v->_class == XCB_VISUAL_CLASS_TRUE_COLOR &&
                        v->red_mask == 0xFF0000 && v->green_mask == 0xFF00 &&
                        v->blue_mask == 0xFF;
    }
    std::free(a);
    std::free(g);
    if (F->WindowFits) {
        F->Gc = xcb_generate_id(c);
        const uint32_t noExposures = 0;
        xcb_create_gc(c, F->Gc, id, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
    }
    return F->WindowFits;
}

void TDirectPresenter::WaitForLastPut() {
    if (!F->PutPending) return;
    F->PutPending = false;
    std::free(xcb_get_input_focus_reply(F->Connection, F->AfterPut, nullptr));
}

void TDirectPresenter::ReleaseSegment() {
    if (!F->Pixels) return;
    WaitForLastPut();
    xcb_shm_detach(F->Connection, F->Segment);
    shmdt(F->Pixels);
    F->Pixels = nullptr;
    F->Size = 0;
}

bool TDirectPresenter::SegmentFor(size_t Bytes) {
    if (F->Size >= Bytes) return true;
    ReleaseSegment();
    // Grown in steps, so a drag's parts of slightly different sizes settle on one segment.
    const size_t step = 64 * 1024;
    const size_t size = (Bytes + step - 1) / step * step;
    const int id = shmget(IPC_PRIVATE, size, IPC_CREAT | 0600);
    if (id < 0) return false;
    void* at = shmat(id, nullptr, 0);
    if (at == reinterpret_cast<void*>(-1)) {
        shmctl(id, IPC_RMID, nullptr);
        return false;
    }
    xcb_connection_t* c = F->Connection;
    const xcb_shm_seg_t segment = xcb_generate_id(c);
    // Checked once: a server on another machine cannot attach the segment.
    xcb_generic_error_t* error =
        xcb_request_check(c, xcb_shm_attach_checked(c, segment, static_cast<uint32_t>(id), 0));
    // Gone from the system once both sides have let go of it, even if this process is killed.
    shmctl(id, IPC_RMID, nullptr);
    if (error) {
        std::free(error);
        shmdt(at);
        F->Use = TState::TUse::No;
        return false;
    }
    F->Segment = segment;
    F->Pixels = static_cast<uint8_t*>(at);
    F->Size = size;
    return true;
}

void TDirectPresenter::Watch(QWidget* Widget) {
    if (FWidget != Widget) {
        if (FWidget) FWidget->removeEventFilter(this);
        FUnpainted = QRegion();
        FWidget = Widget;
        Widget->installEventFilter(this);
    }
    QWindow* window = Widget->window()->windowHandle();
    if (FWindow != window) {
        if (FWindow) FWindow->removeEventFilter(this);
        FWindow = window;
        window->installEventFilter(this);
    }
}

bool TDirectPresenter::AttachImageSegment(int Segment) {
    if (Segment == F->ImageShmId) return true;
    if (Segment == F->RefusedShmId) return false;
    xcb_connection_t* c = F->Connection;
    if (F->ImageShmId >= 0) {
        // Requests already sent that read it are handled first.
        xcb_shm_detach(c, F->ImageSegment);
        F->ImageShmId = -1;
    }
    const xcb_shm_seg_t segment = xcb_generate_id(c);
    xcb_generic_error_t* error = xcb_request_check(
        c, xcb_shm_attach_checked(c, segment, static_cast<uint32_t>(Segment), 1 /* read-only */));
    if (error) {
        std::free(error);
        F->RefusedShmId = Segment;
        return false;
    }
    F->ImageShmId = Segment;
    F->ImageSegment = segment;
    return true;
}

void TDirectPresenter::Put(uint32_t Segment, uint32_t Offset, QSize Whole, QPoint From,
                           const QRect& Part, QPoint Origin) {
    // Checked and its outcome dropped: a window destroyed meanwhile is no error of the toolkit's
    // to report.
    const xcb_void_cookie_t put = xcb_shm_put_image_checked(
        F->Connection, F->Window, F->Gc, static_cast<uint16_t>(Whole.width()),
        static_cast<uint16_t>(Whole.height()), static_cast<uint16_t>(From.x()),
        static_cast<uint16_t>(From.y()), static_cast<uint16_t>(Part.width()),
        static_cast<uint16_t>(Part.height()), static_cast<int16_t>(Origin.x() + Part.x()),
        static_cast<int16_t>(Origin.y() + Part.y()), 24, XCB_IMAGE_FORMAT_Z_PIXMAP, 0, Segment,
        Offset);
    xcb_discard_reply(F->Connection, put.sequence);
}

void TDirectPresenter::PutFromImage(const QImage& Image, const QRegion& Shown, QPoint Origin) {
    const QSize whole(Image.bytesPerLine() / 4, Image.height());
    for (const QRect& r : Shown)
        Put(F->ImageSegment, 0, whole, r.topLeft(), r, Origin);
}

bool TDirectPresenter::PutCopies(const QImage& Image, const QRegion& Shown, QPoint Origin) {
    size_t bytes = 0;
    for (const QRect& r : Shown)
        bytes += static_cast<size_t>(r.width()) * static_cast<size_t>(r.height()) * 4;
    if (bytes > MaxBytes) return false;
    WaitForLastPut(); // the server may still be reading the segment
    if (!SegmentFor(bytes)) return false;
    uint32_t offset = 0;
    for (const QRect& r : Shown) {
        const size_t rowBytes = static_cast<size_t>(r.width()) * 4;
        for (int y = 0; y < r.height(); ++y)
            std::memcpy(F->Pixels + offset + y * rowBytes, Image.constScanLine(r.y() + y) + r.x() * 4,
                        rowBytes);
        Put(F->Segment, offset, r.size(), QPoint(0, 0), r, Origin);
        offset += static_cast<uint32_t>(rowBytes * r.height());
    }
    F->AfterPut = xcb_get_input_focus(F->Connection);
    F->PutPending = true;
    return true;
}

bool TDirectPresenter::Show(QWidget* Widget, const QImage& Image, const QRegion& Region,
                            int Segment) {
    if (!Widget || Region.isEmpty() || Image.format() != QImage::Format_RGB32) return false;
    if (!Usable()) return false;
    QWidget* top = Widget->window();
    QWindow* window = top->windowHandle();
    if (!window || !window->isExposed() || !Widget->isVisible() ||
        Widget->devicePixelRatio() != 1)
        return false;
    const QRegion shown = Region & Image.rect() & Widget->rect();
    if (shown.isEmpty() || !WindowFits(top)) return false;
    const QPoint origin = Widget->mapTo(top, QPoint(0, 0));
    if (Segment >= 0 && Image.bytesPerLine() % 4 == 0 && AttachImageSegment(Segment))
        PutFromImage(Image, shown, origin);
    else if (!PutCopies(Image, shown, origin))
        return false;
    xcb_flush(F->Connection);
    Watch(Widget);
    FUnpainted += shown;
    return true;
}

bool TDirectPresenter::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == FWidget && Event->type() == QEvent::Paint) {
        // What the widget paints now is in the backing store again.
        FUnpainted -= static_cast<QPaintEvent*>(Event)->region();
    } else if (Watched == FWindow && Event->type() == QEvent::Expose && FWidget &&
               !FUnpainted.isEmpty()) {
        // Ahead of the toolkit's own handling, which flushes from the backing store whatever
        // it holds as clean: marked dirty, these parts are painted afresh first.
        FWidget->update(FUnpainted);
    }
    return false;
}
