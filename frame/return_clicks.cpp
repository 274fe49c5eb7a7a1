#include "frame/return_clicks.h"

#include <QAbstractButton>
#include <QKeyEvent>

namespace brevanta::frame {
namespace {

class ReturnClicks final : public QObject {
public:
    explicit ReturnClicks(QAbstractButton* button) : QObject(button), button_(button) {
        button->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != button_ || event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool returnKey = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (!returnKey || (key->modifiers() & ~Qt::KeypadModifier) || !button_->isEnabled())
            return QObject::eventFilter(watched, event);
        button_->click();
        return true;
    }

private:
    QAbstractButton* button_;
};

}  // namespace

void clickOnReturn(QAbstractButton* button) { new ReturnClicks(button); }

}  // namespace brevanta::frame
