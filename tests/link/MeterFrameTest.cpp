#include "link/MeterFrame.h"
#include "link/FrameSync.h"

#include <QLocale>
#include <QTest>

namespace {
MeterFrame frame(std::initializer_list<int> bytes) {
    MeterFrame f{};
    int i = 0;
    for (int b : bytes)
        f[i++] = static_cast<std::uint8_t>(b);
    return f;
}
const QString kAbsent = QStringLiteral("<absent>");
QString orAbsent(const std::optional<QString>& s) {
    return s ? *s : kAbsent;
}
} // namespace

class MeterFrameTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void decodes_data();
    void decodes();
    void unitTable_data();
    void unitTable();
    void decimalCodes();
    void decimalSeparatorFollowsLocale();
    void encodeIsTheInverse();
    void inStepByStructure_data();
    void inStepByStructure();
};

void MeterFrameTest::decodes_data() {
    QTest::addColumn<MeterFrame>("bytes");
    QTest::addColumn<QString>("trh");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("unit");

    // The four worked examples.
    QTest::newRow("normal, C, velocity m/s")
        << frame({0x00, 0x01, 0x01, 0xC8, 0x00, 0x00, 0x00, 0xEB, 0x01, 0x01, 0x00, 0x7B, 0x03})
        << QString::fromUtf8(" 23.5°C 45.6%") << 1.23 << "1.23"
        << "VEL"
        << "m/s";
    QTest::newRow("dew point, F, negative, flow CFM")
        << frame({0x01, 0x02, 0x02, 0x58, 0x01, 0x00, 0x00, 0x34, 0x02, 0x03, 0x04, 0xD2, 0x01})
        << QString::fromUtf8("DP-5.2°F 60%") << 1234.0 << "1234"
        << "FLOW"
        << "CFM";
    QTest::newRow("wet bulb, whole degrees, knots")
        << frame({0x02, 0x01, 0x00, 0x00, 0x00, 0x05, 0x00, 0x19, 0x01, 0x06, 0x00, 0x0A, 0x02})
        << QString::fromUtf8("WB25°C 0%") << 1.0 << "1"
        << "VEL"
        << "knots";
    QTest::newRow("all codes unknown")
        << frame({0x07, 0x09, 0x00, 0x64, 0x00, 0x00, 0x00, 0x00, 0x03, 0x01, 0xFF, 0xFF, 0x09})
        << "0 10%" << 65535.0 << "65535" << kAbsent << kAbsent;

    // Edge cases.
    QTest::newRow("whole-degree resolution keeps 23")
        << frame({0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x17, 0x01, 0x01, 0x00, 0x00, 0x01})
        << QString::fromUtf8(" 23°C 0%") << 0.0 << "0"
        << "VEL"
        << "m/s";
    QTest::newRow("sign byte 2 is positive")
        << frame({0x00, 0x01, 0x00, 0x00, 0x02, 0x00, 0x00, 0x34, 0x01, 0x01, 0x00, 0x00, 0x01})
        << QString::fromUtf8(" 5.2°C 0%") << 0.0 << "0"
        << "VEL"
        << "m/s";
    QTest::newRow("negative zero temperature reads 0")
        << frame({0x00, 0x01, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00, 0x01})
        << QString::fromUtf8(" 0°C 0%") << 0.0 << "0"
        << "VEL"
        << "m/s";
    QTest::newRow("flow with unit code 4 has no unit")
        << frame({0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x04, 0x00, 0x05, 0x03})
        << QString::fromUtf8(" 0°C 0%") << 0.05 << "0.05"
        << "FLOW" << kAbsent;
    QTest::newRow("humidity not validated")
        << frame({0x00, 0x02, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x01, 0x00, 0x00, 0x00, 0x01})
        << QString::fromUtf8(" 6553.5°F 6553.5%") << 0.0 << "0"
        << "VEL" << kAbsent;
}

void MeterFrameTest::decodes() {
    QFETCH(MeterFrame, bytes);
    const DecodedFrame d = DecodeFrame(bytes);
    QTEST(d.trhText, "trh");
    QTEST(d.value, "value");
    QTEST(d.dataText, "data");
    QTEST(orAbsent(d.KindLabel()), "kind");
    QTEST(orAbsent(d.UnitText()), "unit");
}

void MeterFrameTest::unitTable_data() {
    // Each unit a frame can name by kind and code, its text and one of it in m/s or m3/s, from the
    // units' definitions (a mile 1609.344 m, a foot 0.3048 m, a nautical mile 1852 m); other codes
    // and kinds name none.
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("code");
    QTest::addColumn<ReadingKind>("typed");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("si");
    const ReadingKind v = ReadingKind::Velocity, f = ReadingKind::Flow;
    QTest::newRow("m/s") << 1 << 1 << v << "m/s" << 1.0;
    QTest::newRow("km/h") << 1 << 2 << v << "km/h" << 1000.0 / 3600.0;
    QTest::newRow("mil/h") << 1 << 3 << v << "mil/h" << 1609.344 / 3600.0;
    QTest::newRow("ft/m") << 1 << 4 << v << "ft/m" << 0.3048 / 60.0;
    QTest::newRow("ft/s") << 1 << 5 << v << "ft/s" << 0.3048;
    QTest::newRow("knots") << 1 << 6 << v << "knots" << 1852.0 / 3600.0;
    QTest::newRow("velocity 7") << 1 << 7 << v << kAbsent << 0.0;
    QTest::newRow("velocity 0") << 1 << 0 << v << kAbsent << 0.0;
    QTest::newRow("CMS") << 2 << 1 << f << "CMS" << 1.0;
    QTest::newRow("CMM") << 2 << 2 << f << "CMM" << 1.0 / 60.0;
    QTest::newRow("CFM") << 2 << 3 << f << "CFM" << 0.3048 * 0.3048 * 0.3048 / 60.0;
    for (int code = 4; code <= 7; ++code)
        QTest::addRow("flow %d", code) << 2 << code << f << kAbsent << 0.0;
    QTest::newRow("kind 0") << 0 << 1 << ReadingKind::Unknown << kAbsent << 0.0;
}

void MeterFrameTest::unitTable() {
    QFETCH(int, kind);
    QFETCH(int, code);
    QFETCH(ReadingKind, typed);
    MeterFrameFields fields;
    fields.kind = static_cast<std::uint8_t>(kind);
    fields.unitCode = static_cast<std::uint8_t>(code);
    const DecodedFrame d = DecodeFrame(EncodeFrame(fields));
    QCOMPARE(d.kind, typed);
    QTEST(orAbsent(d.UnitText()), "text");
    QCOMPARE(d.KindLabel().has_value(), typed != ReadingKind::Unknown);
    if (!d.unit)
        return;
    QCOMPARE(KindOf(*d.unit), typed);
    QTEST(SiPerUnit(*d.unit), "si");
    QCOMPARE(UnitFromText(typed, *d.UnitText()), d.unit); // the text names it back
}

void MeterFrameTest::decimalCodes() {
    MeterFrameFields f;
    f.valueMagnitude = 1234;
    const double expected[] = {1234, 1234, 123.4, 12.34, 1.234, 1234, 1234};
    for (int code = 0; code <= 6; ++code) {
        f.decimalCode = static_cast<std::uint8_t>(code);
        QCOMPARE(DecodeFrame(EncodeFrame(f)).value, expected[code]);
    }
}

void MeterFrameTest::decimalSeparatorFollowsLocale() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const DecodedFrame d = DecodeFrame(
        frame({0x00, 0x01, 0x01, 0xC8, 0x00, 0x00, 0x00, 0xEB, 0x01, 0x01, 0x00, 0x7B, 0x03}));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QCOMPARE(d.dataText, QStringLiteral("1,23"));
    QCOMPARE(d.trhText, QString::fromUtf8(" 23,5°C 45,6%"));
}

void MeterFrameTest::encodeIsTheInverse() {
    const MeterFrame f =
        frame({0x01, 0x02, 0x02, 0x58, 0x01, 0x00, 0x00, 0x34, 0x02, 0x03, 0x04, 0xD2, 0x01});
    QCOMPARE(EncodeFrame(FrameFields(f)), f);
    const MeterFrameFields m = FrameFields(f);
    QCOMPARE(m.humidityTenths, std::uint16_t(600));
    QCOMPARE(m.temperatureMagnitude, std::uint16_t(52));
    QCOMPARE(m.valueMagnitude, std::uint16_t(1234));
}

void MeterFrameTest::inStepByStructure_data() {
    // Meter frames (the worked examples), a frame of an unknown kind, one at 100.1 % humidity, and
    // one that is a meter frame read from its third byte on too.
    const QByteArray a = QByteArray::fromHex("000101c8000000eb0101007b03");
    const QByteArray b = QByteArray::fromHex("0102025801000034020304d201");
    const QByteArray c = QByteArray::fromHex("02010000000500190106000a02");
    const QByteArray unknownKind = QByteArray::fromHex("000101c8000000eb0301007b03");
    const QByteArray wet = QByteArray::fromHex("000103e9000000eb0101007b03");
    const QByteArray twoWays = QByteArray::fromHex("01020002000001000202020202");
    QByteArray noise;
    for (int i = 0; i < 200; ++i)
        noise += char((i * 37 + 11 * (i / 7)) % 256);
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("start"); // -1: not yet
    QTest::newRow("from the first byte") << a + b + c + a + b + c << 0;
    QTest::newRow("a frame's tail first") << b.mid(8) + a + b + c + a + b + c << 5;
    QTest::newRow("five frames, the next boundaries unseen") << b.mid(8) + a + b + c + a + b << -1;
    QTest::newRow("a frame no meter sends is passed over")
        << unknownKind + a + b + c + a + b + c << 13;
    QTest::newRow("humidity above 100 %") << wet.repeated(8) << -1;
    QTest::newRow("every other frame damaged") << (a + wet).repeated(4) << -1;
    QTest::newRow("frames that read two ways") << twoWays.repeated(8) << -1;
    QTest::newRow("two ways, settled by the frames after")
        << twoWays.repeated(3) + a + b + c + a + b + c << 0;
    QTest::newRow("noise") << noise << -1;
}

void MeterFrameTest::inStepByStructure() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, start);
    QCOMPARE(FrameStartByStructure(bytes).value_or(-1), qsizetype(start));
}

QTEST_GUILESS_MAIN(MeterFrameTest)
#include "MeterFrameTest.moc"
