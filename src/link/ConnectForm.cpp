#include "link/ConnectForm.h"

#include "link/ConnectPictures.h"
#include "link/PortPlatform.h"
#include "state/SystemTexts.h"

#include <QAbstractItemView>
#include <QDateTime>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

PortBox::PortBox(QWidget* parent)
    : PickOnlyComboBox(parent) {
    view()->setMinimumWidth(220);
}

void PortBox::showPopup() {
    emit ListAboutToShow();
    QComboBox::showPopup();
}

FaceButton::FaceButton(QWidget* parent)
    : QAbstractButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

void FaceButton::SetFace(const QPixmap& face) {
    m_face = face;
    update();
}

QSize FaceButton::sizeHint() const {
    return m_face.size() + QSize(13, 3);
}

void FaceButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPoint at((width() - m_face.width()) / 2, (height() - m_face.height()) / 2);
    if (isDown())
        painter.translate(1, 1);
    painter.drawPixmap(at, m_face);
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = QRect(at, m_face.size()).adjusted(-2, -2, 2, 2);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

ConnectForm::ConnectForm(PortPlatform& ports, QWidget* parent)
    : QWidget(parent)
    , m_ports(ports) {
    setFixedSize(kWidth, kHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);

    m_imageList1 = {StatusSign(1), StatusSign(2)};
    for (int n = 1; n <= kConnectFaceCount; ++n)
        m_connImageList1.at(n - 1) = ConnectFace(n);

    m_combo1 = new PortBox(this);
    m_combo1->setObjectName(QStringLiteral("Combo1"));
    m_combo1->setGeometry(32, 5, 81, 21);

    m_btnConn = new FaceButton(this);
    m_btnConn->setObjectName(QStringLiteral("btn_conn"));
    m_btnConn->setText(QStringLiteral("CONNECT"));
    m_btnConn->setFont(ConnectCaptionFont());
    m_btnConn->setGeometry(136, 5, 113, 33);

    m_image2 = new QLabel(this);
    m_image2->setObjectName(QStringLiteral("Image2"));
    m_image2->setGeometry(296, 5, 32, 32);
    m_image2->setPixmap(MeterIcon());

    for (int i = 0; i < kSignCount; ++i) {
        QLabel* sign = new QLabel(this);
        sign->setObjectName(QStringLiteral("Image3_%1").arg(i));
        sign->setGeometry(336 + 40 * i, 0, 40, 41);
        sign->setPixmap(ImageList1(1));
        m_image3.at(i) = sign;
    }

    m_image1 = new QLabel(this);
    m_image1->setObjectName(QStringLiteral("Image1"));
    m_image1->setGeometry(536, 0, 40, 41);
    m_image1->setPixmap(ComputerIcon());

    const QString words[] = {QStringLiteral("OFFLINE"), QStringLiteral("ONLINE")};
    const QColor colours[] = {kOfflineColor, kOnlineColor};
    for (int i = 0; i < 2; ++i) {
        QLabel* word = new QLabel(words[i], this);
        word->setObjectName(QStringLiteral("Label1_%1").arg(i));
        word->setGeometry(584, 8, 129, 33);
        word->setFont(StatusWordFont());
        word->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        QPalette palette = word->palette();
        palette.setColor(QPalette::WindowText, colours[i]);
        word->setPalette(palette);
        m_label1.at(i) = word;
    }
    m_label1[1]->hide();

    m_label2 = new QLabel(this);
    m_label2->setObjectName(QStringLiteral("Label2"));
    m_label2->setGeometry(752, 8, 185, 25);
    m_label2->setFont(ClockFont());
    m_label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_btnConnTimer.setInterval(500);
    connect(&m_btnConnTimer, &QTimer::timeout, this, &ConnectForm::btn_connTimer_Timer);
    m_timer2.setInterval(1000);
    connect(&m_timer2, &QTimer::timeout, this, &ConnectForm::Timer2_Timer);
    connect(m_combo1, &PortBox::ListAboutToShow, this, &ConnectForm::refreshPortList);

    Form_Load();
    m_btnConnTimer.start();
    m_timer2.start();
}

void ConnectForm::Form_Load() {
    m_counter = 2;
    showFace(m_counter);
    m_combo1->addItems(m_ports.ListPorts());
    m_combo1->setEditText(m_ports.StartText());
    m_combo1->move(32, 13);
}

void ConnectForm::Attach(LinkController& link, MessageBoxes& messages) {
    link.SetPanel(*this, messages);
    connect(m_btnConn, &QAbstractButton::clicked, &link, &LinkController::btn_conn_Click);
    // Only a pick from the list (mouse or arrow keys): not typing, not Enter, not a refresh.
    connect(m_combo1, &PickOnlyComboBox::Picked, &link, &LinkController::Combo1_Click);
}

void ConnectForm::refreshPortList() {
    const QString text = m_combo1->currentText();
    const QStringList ports = m_ports.ListPorts();
    QSignalBlocker block(m_combo1);
    m_combo1->clear();
    m_combo1->addItems(ports);
    m_combo1->setCurrentIndex(static_cast<int>(ports.indexOf(text)));
    m_combo1->setEditText(text);
}

QString ConnectForm::PortText() const {
    return m_combo1->currentText();
}

void ConnectForm::SetPortText(const QString& text) {
    m_combo1->setEditText(text);
}

void ConnectForm::ShowConnectDisabled() {
    m_btnConnTimer.stop();
    m_btnConn->setEnabled(false);
    showFace(1);
}

void ConnectForm::ShowConnectEnabled() {
    m_btnConnTimer.start();
    m_btnConn->setEnabled(true);
    // The grey face belongs to the disabled button; until the next tick, the last face shown.
    showFace(m_counter);
}

void ConnectForm::ShowLinkOnline() {
    m_label1[0]->hide();
    m_label1[1]->show();
    emit ShowReadoutOnline();
    setSigns(2);
}

void ConnectForm::ShowLinkOffline() {
    setSigns(1);
    m_label1[0]->show();
    m_label1[1]->hide();
    emit ShowReadoutOffline();
}

void ConnectForm::btn_connTimer_Timer() {
    if (m_counter == 4)
        m_counter = 1;
    ++m_counter;
    showFace(m_counter);
}

void ConnectForm::Timer2_Timer() {
    m_label2->setText(::ClockText(QDateTime::currentDateTime()));
}

void ConnectForm::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintPanelBackground(painter, QRect(0, 0, 950, kHeight));
}

void ConnectForm::showFace(int number) {
    m_faceShown = number;
    m_btnConn->SetFace(Conn_ImageList1(number));
}

void ConnectForm::setSigns(int number) {
    for (QLabel* sign : m_image3)
        sign->setPixmap(ImageList1(number));
}
