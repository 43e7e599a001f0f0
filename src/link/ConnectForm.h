#pragma once

#include "link/LinkController.h"
#include "widgets/PickOnlyComboBox.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <array>

class MessageBoxes;
class PortPlatform;

// The port box: an editable drop-down whose list is refreshed from the platform every time it is
// opened. Only picking an entry counts; a typed name is used by the next CONNECT.
class PortBox : public PickOnlyComboBox {
    Q_OBJECT
public:
    explicit PortBox(QWidget* parent = nullptr);
    void showPopup() override;

signals:
    void ListAboutToShow();
};

// A push button that shows one picture as its face.
class FaceButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit FaceButton(QWidget* parent = nullptr);
    void SetFace(const QPixmap& face);
    const QPixmap& Face() const { return m_face; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_face;
};

// The strip along the bottom of the main window (938 x 40): the port box, the CONNECT button
// (animated while nothing is connected), the picture chain meter - five status signs - computer,
// the words OFFLINE / ONLINE and a clock. It shows what the link control tells it; the main window
// places it.
class ConnectForm : public QWidget, public LinkPanel {
    Q_OBJECT
public:
    static constexpr int kWidth = 938;
    static constexpr int kHeight = 40;
    static constexpr int kSignCount = 5;

    explicit ConnectForm(PortPlatform& ports, QWidget* parent = nullptr);

    // CONNECT and picks from the port list go to the link, and the link drives this panel; its
    // port errors are shown in messages.
    void Attach(LinkController& link, MessageBoxes& messages);

    // LinkPanel
    QString PortText() const override;
    void SetPortText(const QString& text) override;
    void ShowConnectDisabled() override;
    void ShowConnectEnabled() override;
    void ShowLinkOnline() override;
    void ShowLinkOffline() override;

    // Animation tick: the next CONNECT face, 3, 4, 2, 3, ...
    void btn_connTimer_Timer();
    // Clock tick: short date, a space, time of day.
    void Timer2_Timer();

    // The clock's text, as the printed graph report shows it.
    QString ClockText() const { return m_label2->text(); }

    PortBox* Combo1() const { return m_combo1; }
    FaceButton* btn_conn() const { return m_btnConn; }
    QLabel* Image1() const { return m_image1; }
    QLabel* Image2() const { return m_image2; }
    QLabel* Image3(int index) const { return m_image3.at(index); }
    QLabel* Label1(int index) const { return m_label1.at(index); }
    QLabel* Label2() const { return m_label2; }
    QTimer& btn_connTimer() { return m_btnConnTimer; }
    QTimer& Timer2() { return m_timer2; }

    // Pictures of the two image lists, 1-based as the lists number them.
    const QPixmap& ImageList1(int number) const { return m_imageList1.at(number - 1); }
    const QPixmap& Conn_ImageList1(int number) const { return m_connImageList1.at(number - 1); }
    // The face btn_conn shows, 1 to 4.
    int FaceShown() const { return m_faceShown; }

signals:
    // The live display's readout switches to its online or offline look. Emitted in the middle of
    // ShowLinkOnline and ShowLinkOffline, where the readout's step comes.
    void ShowReadoutOnline();
    void ShowReadoutOffline();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Form_Load();
    void refreshPortList();
    void showFace(int number);
    void setSigns(int number);

    PortPlatform& m_ports;
    PortBox* m_combo1;
    FaceButton* m_btnConn;
    QLabel* m_image2;
    std::array<QLabel*, kSignCount> m_image3{};
    QLabel* m_image1;
    std::array<QLabel*, 2> m_label1{};
    QLabel* m_label2;
    QTimer m_btnConnTimer;
    QTimer m_timer2;
    std::array<QPixmap, 2> m_imageList1;
    std::array<QPixmap, 4> m_connImageList1;
    int m_counter = 2; // the animation counter: the face last shown by the animation
    int m_faceShown = 0;
};
