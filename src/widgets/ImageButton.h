#pragma once

#include <QPixmap>
#include <QWidget>

// A picture that acts as a button: it shows one face stretched to its size, has a hand-shaped
// pointer, and reports presses, releases, clicks and the pointer entering or leaving it.
// It takes keyboard focus with Tab and clicks on Space or Enter.
class ImageButton : public QWidget {
    Q_OBJECT
public:
    explicit ImageButton(QWidget* parent);

    void SetPicture(const QPixmap& face);
    const QPixmap& Picture() const { return m_face; }

signals:
    void MouseDown();
    void MouseUp();
    void Click();
    // The pointer moved over the button (true) or left it (false).
    void Hover(bool inside);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPixmap m_face;
    bool m_down = false;
};

// A button of the main window that opens another: 42 x 42 at `at`, showing face, with a tool tip.
ImageButton* MakeImageButton(QWidget* parent, QPoint at, const QPixmap& face,
                             const QString& toolTip);
