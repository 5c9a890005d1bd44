// pinmark-wlclipkeeper: keeps the program's clipboard text after the program has ended, on a
// Wayland compositor.
//
// Reads the text (UTF-8) from standard input, takes the seat's selection through the
// compositor's data-control protocol and answers one byte on standard output: '1' once it owns
// the selection, '0' when the compositor has no data-control (GNOME's keeps a text selection
// itself; elsewhere nothing without a window can keep it). A keeper that fails (no compositor,
// a broken connection) ends without an answer. Once serving, it serves only that text
// and ends as soon as another program owns the selection or the compositor goes away. It never
// creates a surface, so it never shows a window nor takes the focus; it writes no file.

#include "ext-data-control-client.h"
#include "platform/keeperpipe.h"
#include "wlr-data-control-client.h"

#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace KeeperPipe = Pinmark::KeeperPipe;

namespace {

constexpr size_t PieceBytes = size_t(64) << 10;

// What the selection offers, as Wayland and the X11 bridges of the compositors name text.
constexpr const char *Utf8Types[] = {"text/plain;charset=utf-8", "text/plain", "UTF8_STRING"};
constexpr const char *AsciiTypes[] = {"STRING", "TEXT"};

bool isAscii(const std::string &text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return (unsigned char)c < 0x80; });
}

// One paste in progress: the reader's end of a pipe and how much of the text it has.
struct Transfer
{
    int fd;
    size_t offset;
};

// What the keeper made on the compositor, let go before it disconnects.
struct Connection
{
    wl_display *display = nullptr;
    std::vector<wl_proxy *> objects;

    template <class T> T *keep(T *object)
    {
        objects.push_back(reinterpret_cast<wl_proxy *>(object));
        return object;
    }
    ~Connection()
    {
        for (auto object = objects.rbegin(); object != objects.rend(); ++object)
            wl_proxy_destroy(*object);
        if (display)
            wl_display_disconnect(display);
    }
};

struct Keeper
{
    Connection connection;
    std::string text;
    std::vector<Transfer> transfers;
    bool ended = false;

    bool offers(const char *mimeType) const
    {
        for (const char *type : Utf8Types) {
            if (std::strcmp(type, mimeType) == 0)
                return true;
        }
        for (const char *type : AsciiTypes) {
            if (std::strcmp(type, mimeType) == 0)
                return isAscii(text);
        }
        return false;
    }

    void send(const char *mimeType, int fd)
    {
        if (!offers(mimeType) || ::fcntl(fd, F_SETFL, O_NONBLOCK) != 0) {
            ::close(fd);
            return;
        }
        transfers.push_back({fd, 0});
    }

    // Writes what the reader takes now; false once its transfer is over (done or given up).
    bool carryOn(Transfer &t) const
    {
        while (t.offset < text.size()) {
            const size_t size = std::min(PieceBytes, text.size() - t.offset);
            const ssize_t n = ::write(t.fd, text.data() + t.offset, size);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return true;
            if (n <= 0)
                break;
            t.offset += size_t(n);
        }
        ::close(t.fd);
        return false;
    }
};

// The two data-control protocols have the same shape. The keeper takes the wlroots one where it
// is offered (sway, KDE's kwin; newer compositors offer both) and the standard one elsewhere.
struct Ext
{
    using Manager = ext_data_control_manager_v1;
    using Device = ext_data_control_device_v1;
    using Source = ext_data_control_source_v1;
    using Offer = ext_data_control_offer_v1;
    static constexpr const wl_interface *managerInterface = &ext_data_control_manager_v1_interface;
    static Source *createSource(Manager *m)
    {
        return ext_data_control_manager_v1_create_data_source(m);
    }
    static Device *device(Manager *m, wl_seat *s)
    {
        return ext_data_control_manager_v1_get_data_device(m, s);
    }
    static void offer(Source *s, const char *type) { ext_data_control_source_v1_offer(s, type); }
    static void select(Device *d, Source *s) { ext_data_control_device_v1_set_selection(d, s); }
    static void destroy(Offer *o) { ext_data_control_offer_v1_destroy(o); }
    static void listen(Source *s, const ext_data_control_source_v1_listener *l, void *data)
    {
        ext_data_control_source_v1_add_listener(s, l, data);
    }
    static void listen(Device *d, const ext_data_control_device_v1_listener *l, void *data)
    {
        ext_data_control_device_v1_add_listener(d, l, data);
    }
};

struct Wlr
{
    using Manager = zwlr_data_control_manager_v1;
    using Device = zwlr_data_control_device_v1;
    using Source = zwlr_data_control_source_v1;
    using Offer = zwlr_data_control_offer_v1;
    static constexpr const wl_interface *managerInterface = &zwlr_data_control_manager_v1_interface;
    static Source *createSource(Manager *m)
    {
        return zwlr_data_control_manager_v1_create_data_source(m);
    }
    static Device *device(Manager *m, wl_seat *s)
    {
        return zwlr_data_control_manager_v1_get_data_device(m, s);
    }
    static void offer(Source *s, const char *type) { zwlr_data_control_source_v1_offer(s, type); }
    static void select(Device *d, Source *s) { zwlr_data_control_device_v1_set_selection(d, s); }
    static void destroy(Offer *o) { zwlr_data_control_offer_v1_destroy(o); }
    static void listen(Source *s, const zwlr_data_control_source_v1_listener *l, void *data)
    {
        zwlr_data_control_source_v1_add_listener(s, l, data);
    }
    static void listen(Device *d, const zwlr_data_control_device_v1_listener *l, void *data)
    {
        zwlr_data_control_device_v1_add_listener(d, l, data);
    }
};

template <class P> struct Listeners
{
    static void send(void *data, typename P::Source *, const char *mimeType, int32_t fd)
    {
        static_cast<Keeper *>(data)->send(mimeType, fd);
    }
    static void cancelled(void *data, typename P::Source *)
    {
        static_cast<Keeper *>(data)->ended = true;
    }
    static void dataOffer(void *, typename P::Device *, typename P::Offer *) {}
    // The keeper reads nobody's data: each offer is let go as soon as it is announced.
    static void selection(void *, typename P::Device *, typename P::Offer *offer)
    {
        if (offer)
            P::destroy(offer);
    }
    static void finished(void *data, typename P::Device *)
    {
        static_cast<Keeper *>(data)->ended = true;
    }
};

const ext_data_control_source_v1_listener extSource = {Listeners<Ext>::send,
                                                       Listeners<Ext>::cancelled};
const ext_data_control_device_v1_listener extDevice = {
    Listeners<Ext>::dataOffer, Listeners<Ext>::selection, Listeners<Ext>::finished,
    Listeners<Ext>::selection};
const zwlr_data_control_source_v1_listener wlrSource = {Listeners<Wlr>::send,
                                                        Listeners<Wlr>::cancelled};
const zwlr_data_control_device_v1_listener wlrDevice = {
    Listeners<Wlr>::dataOffer, Listeners<Wlr>::selection, Listeners<Wlr>::finished};

struct Globals
{
    Connection &connection;
    ext_data_control_manager_v1 *ext = nullptr;
    zwlr_data_control_manager_v1 *wlr = nullptr;
    wl_seat *seat = nullptr;
};

void globalAdded(void *data, wl_registry *registry, uint32_t name, const char *interface, uint32_t)
{
    auto *g = static_cast<Globals *>(data);
    if (std::strcmp(interface, Ext::managerInterface->name) == 0 && !g->ext)
        g->ext =
            static_cast<Ext::Manager *>(wl_registry_bind(registry, name, Ext::managerInterface, 1));
    else if (std::strcmp(interface, Wlr::managerInterface->name) == 0 && !g->wlr)
        g->wlr =
            static_cast<Wlr::Manager *>(wl_registry_bind(registry, name, Wlr::managerInterface, 1));
    else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !g->seat)
        g->seat = static_cast<wl_seat *>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
}

void globalRemoved(void *, wl_registry *, uint32_t) {}

const wl_registry_listener registryListener = {globalAdded, globalRemoved};

template <class P, class SourceListener, class DeviceListener>
void takeSelection(typename P::Manager *manager, wl_seat *seat, Keeper &keeper,
                   const SourceListener &sourceListener, const DeviceListener &deviceListener)
{
    typename P::Source *source = keeper.connection.keep(P::createSource(manager));
    P::listen(source, &sourceListener, &keeper);
    for (const char *type : Utf8Types)
        P::offer(source, type);
    if (isAscii(keeper.text)) {
        for (const char *type : AsciiTypes)
            P::offer(source, type);
    }
    typename P::Device *device = keeper.connection.keep(P::device(manager, seat));
    P::listen(device, &deviceListener, &keeper);
    P::select(device, source);
}

// Serves the text until the selection is another's, the compositor is gone, or it fails.
void serve(wl_display *display, Keeper &keeper)
{
    std::vector<pollfd> fds;
    while (!keeper.ended) {
        while (wl_display_prepare_read(display) != 0) {
            if (wl_display_dispatch_pending(display) < 0)
                return;
        }
        if (keeper.ended) {
            wl_display_cancel_read(display);
            return;
        }
        if (wl_display_flush(display) < 0 && errno != EAGAIN) {
            wl_display_cancel_read(display);
            return;
        }
        fds.assign(1, pollfd{wl_display_get_fd(display), POLLIN, 0});
        for (const Transfer &t : keeper.transfers)
            fds.push_back(pollfd{t.fd, POLLOUT, 0});
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            wl_display_cancel_read(display);
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[0].revents & POLLIN) {
            if (wl_display_read_events(display) < 0)
                return;
        } else {
            wl_display_cancel_read(display);
            if (fds[0].revents & (POLLERR | POLLHUP))
                return;
        }
        // Transfers that started in this turn are served in the next.
        std::vector<Transfer> open;
        for (size_t i = 0; i < keeper.transfers.size(); ++i) {
            Transfer &t = keeper.transfers[i];
            if (!fds[i + 1].revents || keeper.carryOn(t))
                open.push_back(t);
        }
        keeper.transfers.swap(open);
        if (wl_display_dispatch_pending(display) < 0)
            return;
    }
}

} // namespace

int main()
{
    std::signal(SIGHUP, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    Keeper keeper;
    if (!KeeperPipe::readText(keeper.text) || keeper.text.empty()) {
        KeeperPipe::answer('0');
        return 1;
    }
    wl_display *display = keeper.connection.display = wl_display_connect(nullptr);
    if (!display)
        return 1;
    Globals globals{keeper.connection};
    wl_registry *registry = keeper.connection.keep(wl_display_get_registry(display));
    wl_registry_add_listener(registry, &registryListener, &globals);
    if (wl_display_roundtrip(display) < 0)
        return 1;
    if (!globals.seat || (!globals.ext && !globals.wlr)) {
        KeeperPipe::answer('0');
        return 0;
    }
    if (globals.wlr)
        takeSelection<Wlr>(globals.wlr, globals.seat, keeper, wlrSource, wlrDevice);
    else
        takeSelection<Ext>(globals.ext, globals.seat, keeper, extSource, extDevice);
    // The compositor has set the selection once it answers a request sent after it.
    if (wl_display_roundtrip(display) < 0)
        return 1;
    if (keeper.ended) {
        KeeperPipe::answer('0');
        return 0;
    }
    KeeperPipe::answer('1');
    serve(display, keeper);
    for (const Transfer &t : keeper.transfers)
        ::close(t.fd);
    return 0;
}
