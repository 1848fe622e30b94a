#include "shell/controls.h"

#include <QKeyEvent>
#include <QMetaObject>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QStyledItemDelegate>

namespace melkora {

Slider::Slider(Qt::Orientation orientation, QWidget* parent) : QSlider(orientation, parent) {
    connect(this, &QAbstractSlider::actionTriggered, this, [this](int) { note_user_action(); });
    connect(this, &QAbstractSlider::valueChanged, this, &Slider::report_if_user_moved);
}

// When the action is announced the handle has already moved but the value has not; an action
// that leaves the value as it was (a key at the end of the range) brings no value change.
void Slider::note_user_action() { user_action_pending_ = sliderPosition() != value(); }

void Slider::report_if_user_moved(int position) {
    if (!user_action_pending_) return;
    user_action_pending_ = false;
    emit position_changed_by_user(position);
}

void FeedbackLabel::raise_feedback(int value, int second) {
    QMetaObject::invokeMethod(
        this, [this, value, second] { emit feedback(value, second); }, Qt::AutoConnection);
}

void WrappingCheckBox::paintEvent(QPaintEvent* /*event*/) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_CheckBox, option);
    option.text = caption;
    const QRect text_area = style()->subElementRect(QStyle::SE_CheckBoxContents, &option, this);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(text_area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, caption);
}

void FittedLabel::paintEvent(QPaintEvent* event) {
    QStringList lines = text().split(QLatin1Char('\n'));
    for (QString& line : lines) line.remove(QLatin1Char('\r'));
    const int line_height = fontMetrics().height();
    const int count = static_cast<int>(lines.size());
    if (count < 2 || count * line_height <= height()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    const int pitch = (height() - line_height) / (count - 1);
    for (int i = 0; i < count; ++i) {
        painter.drawText(QRect(0, i * pitch, width(), line_height), Qt::AlignLeft | Qt::AlignTop, lines[i]);
    }
}

Hyperlink::Hyperlink(const QString& caption, const QUrl& target, QWidget* parent)
    : QLabel(parent), caption_(caption), target_(target) {
    setTextFormat(Qt::RichText);
    setText(QStringLiteral("<a href=\"%1\">%2</a>")
                .arg(target.toString(QUrl::FullyEncoded).toHtmlEscaped(), caption.toHtmlEscaped()));
    setOpenExternalLinks(true);
    setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
}

Clock::Clock(QObject* parent) : QObject(parent) {
    connect(&timer_, &QTimer::timeout, this, &Clock::elapsed);
}

void Clock::set_period(int milliseconds) {
    if (milliseconds <= 0) {
        timer_.stop();
        return;
    }
    timer_.start(milliseconds);
}

int Clock::period() const { return timer_.isActive() ? timer_.interval() : 0; }

namespace {

class SpacedLineDelegate : public QStyledItemDelegate {
public:
    SpacedLineDelegate(int extra, QObject* parent) : QStyledItemDelegate(parent), extra_(extra) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(0, extra_);
    }

private:
    int extra_;
};

}  // namespace

SpacedListBox::SpacedListBox(int extra_line_spacing, QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new SpacedLineDelegate(extra_line_spacing, this));
}

int virtual_key_code(const QKeyEvent& event) {
    const int key = event.key();
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter: return 13;
        case Qt::Key_Escape: return 27;
        case Qt::Key_Space: return 32;
        case Qt::Key_Left: return 37;
        case Qt::Key_Up: return 38;
        case Qt::Key_Right: return 39;
        case Qt::Key_Down: return 40;
        default: break;
    }
    return key;  // Qt's codes of digits and capital letters are their characters already
}

}  // namespace melkora
