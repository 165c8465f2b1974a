#include "app/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace kv {

void PlaceOverOwner(QWidget* window, QWidget* owner) {
    window->adjustSize();
    QRect area;
    if (owner != nullptr && owner->isVisible()) {
        area = owner->frameGeometry();
        window->winId();  // creates the native window so that it can have a transient parent
        if (window->windowHandle() != nullptr && owner->window()->windowHandle() != nullptr) {
            window->windowHandle()->setTransientParent(owner->window()->windowHandle());
        }
    } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
        area = screen->availableGeometry();
    }
    if (area.isValid()) {
        QRect frame = window->frameGeometry();
        frame.moveCenter(area.center());
        window->move(frame.topLeft());
    }
}

}  // namespace kv
