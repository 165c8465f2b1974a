#include "app/KeyboardLocks.h"

#include <dlfcn.h>

#include <QGuiApplication>

namespace kv {

namespace {

// The X keyboard extension is asked through the X library the xcb platform has loaded already;
// nothing is linked for it, so the program also runs where there is no X at all.
using Display = void;
using Atom = unsigned long;
using InternAtomFn = Atom (*)(Display*, const char*, int);
using GetNamedIndicatorFn = int (*)(Display*, Atom, int*, int*, void*, int*);
using OpenDisplayFn = Display* (*)(const char*);

struct X11 {
    InternAtomFn internAtom = nullptr;
    GetNamedIndicatorFn getNamedIndicator = nullptr;
    Display* display = nullptr;
    bool ok = false;
};

const X11& LoadX11() {
    static X11 x = [] {
        X11 r;
        void* lib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
        if (lib == nullptr) {
            return r;
        }
        r.internAtom = reinterpret_cast<InternAtomFn>(dlsym(lib, "XInternAtom"));
        r.getNamedIndicator =
            reinterpret_cast<GetNamedIndicatorFn>(dlsym(lib, "XkbGetNamedIndicator"));
        auto openDisplay = reinterpret_cast<OpenDisplayFn>(dlsym(lib, "XOpenDisplay"));
        if (r.internAtom == nullptr || r.getNamedIndicator == nullptr || openDisplay == nullptr) {
            return r;
        }
        // A connection of its own: the indicator state is the server's, whoever asks.
        r.display = openDisplay(nullptr);
        r.ok = r.display != nullptr;
        return r;
    }();
    return x;
}

bool Indicator(const X11& x, const char* name) {
    const Atom atom = x.internAtom(x.display, name, 0);
    int state = 0;
    if (atom == 0 || x.getNamedIndicator(x.display, atom, nullptr, &state, nullptr, nullptr) == 0) {
        return false;
    }
    return state != 0;
}

}  // namespace

KeyboardLocks KeyboardLocks::Read() {
    KeyboardLocks locks;
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        return locks;
    }
    const X11& x = LoadX11();
    if (!x.ok) {
        return locks;
    }
    locks.known = true;
    locks.caps = Indicator(x, "Caps Lock");
    locks.num = Indicator(x, "Num Lock");
    locks.scroll = Indicator(x, "Scroll Lock");
    return locks;
}

}  // namespace kv
