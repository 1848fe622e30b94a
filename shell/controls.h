#pragma once
// The control kinds of the window that Qt does not offer as they are needed.
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QObject>
#include <QSlider>
#include <QTimer>
#include <QUrl>

class QKeyEvent;

namespace melkora {

// A slider whose position-changed event comes from the user (mouse, wheel, keys) only: the
// player moves the progress bar every second and must not seek each time it does.
class Slider : public QSlider {
    Q_OBJECT
public:
    explicit Slider(Qt::Orientation orientation, QWidget* parent = nullptr);

signals:
    void position_changed_by_user(int position);

private:
    void note_user_action();
    void report_if_user_moved(int position);

    bool user_action_pending_ = false;
};

// A label that a player can hand a number to, from any thread; the number arrives as the
// label's feedback event on the window's thread.
class FeedbackLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
    void raise_feedback(int value, int second = 0);

signals:
    void feedback(int value, int second);
};

// A check box whose caption wraps at blanks onto further lines when the box is too narrow for
// one, as the window's tall, narrow check boxes expect.
class WrappingCheckBox : public QCheckBox {
    Q_OBJECT
public:
    using QCheckBox::QCheckBox;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A label whose lines move closer together when they would not fit its height, so that its
// first line stays at the top and its last line at the bottom.
class FittedLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A clickable link with a caption; clicking opens its target with the desktop's handler.
class Hyperlink : public QLabel {
    Q_OBJECT
public:
    Hyperlink(const QString& caption, const QUrl& target, QWidget* parent = nullptr);
    QString caption() const { return caption_; }
    QUrl target() const { return target_; }

private:
    QString caption_;
    QUrl target_;
};

// A timer driven by its period: a period of 0 stops it, any other starts it anew.
class Clock : public QObject {
    Q_OBJECT
public:
    explicit Clock(QObject* parent = nullptr);
    void set_period(int milliseconds);
    int period() const;

signals:
    void elapsed();

private:
    QTimer timer_;
};

// A list box whose lines stand a little apart, so that the suggestions are easy to pick.
class SpacedListBox : public QListWidget {
    Q_OBJECT
public:
    explicit SpacedListBox(int extra_line_spacing, QWidget* parent = nullptr);
};

// The key code a key handler receives: the system-neutral codes 13 Enter, 38 Up, 40 Down,
// digits and capital letters as their characters; other keys give Qt's own code.
int virtual_key_code(const QKeyEvent& event);

}  // namespace melkora
