// The server's packet text, written straight from the rows, against what the JSON library
// writes and reads for the same values.
#include <packetwriter.h>

#include <QtTest>

#include <cmath>
#include <limits>

using namespace zrt;
using namespace zrt::appserver;
using nlohmann::json;

namespace {
std::string dumped(const json &j) { return j.dump(-1, ' ', false, json::error_handler_t::replace); }

std::string written(std::string_view text)
{
  std::string out;
  appendJsonString(out, text);
  return out;
}
} // namespace

class tst_packetwriter : public QObject {
  Q_OBJECT
private slots:
  void textsAsTheLibraryWritesThem_data()
  {
    QTest::addColumn<QByteArray>("text");
    // clang-format off
    QTest::newRow("plain") << QByteArray("OP00054500");
    QTest::newRow("empty") << QByteArray("");
    QTest::newRow("accents and symbols") << QByteArray("Têmpera de engrenagens Ø 38 mm – €");
    QTest::newRow("four-byte character") << QByteArray("caixa \xF0\x9F\x93\xA6 fim");
    QTest::newRow("quote and backslash") << QByteArray("Tampa \"rosca\" C:\\x");
    QTest::newRow("named controls") << QByteArray("a\bb\fc\nd\re\tf");
    QTest::newRow("other controls") << QByteArray("x\x01y\x1Fz\x7F", 6);
    QTest::newRow("NUL inside") << QByteArray("a\0b", 3);
    // clang-format on
  }
  void textsAsTheLibraryWritesThem()
  {
    QFETCH(QByteArray, text);
    const std::string s(text.constData(), std::size_t(text.size()));
    QCOMPARE(written(s), dumped(json(s)));
    QCOMPARE(json::parse(written(s)).get<std::string>(), s);
  }

  // A byte that is no UTF-8 must not reach a client as it is: parsers refuse the whole answer.
  void invalidUtf8IsReplaced_data()
  {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("expected");
    // clang-format off
    QTest::newRow("Latin-1 byte") << QByteArray("Prensa n\xBA 2") << QStringLiteral("Prensa n\uFFFD 2");
    QTest::newRow("cut sequence at the end") << QByteArray("abc\xC3") << QStringLiteral("abc\uFFFD");
    QTest::newRow("overlong slash") << QByteArray("a\xC0\xAF" "b") << QStringLiteral("a\uFFFD\uFFFDb");
    QTest::newRow("surrogate half") << QByteArray("a\xED\xA0\x80" "b") << QStringLiteral("a\uFFFD\uFFFD\uFFFDb");
    QTest::newRow("past U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << QStringLiteral("\uFFFD\uFFFD\uFFFD\uFFFD");
    // clang-format on
  }
  void invalidUtf8IsReplaced()
  {
    QFETCH(QByteArray, text);
    QFETCH(QString, expected);
    const json parsed = json::parse(written(std::string_view(text.constData(), std::size_t(text.size()))), nullptr, false);
    QVERIFY(!parsed.is_discarded());
    QCOMPARE(QString::fromStdString(parsed.get<std::string>()), expected);
  }

  // The packet reads back with the same fields and values; whole numbers stay floating, and
  // what has no number is null.
  void packetReadsBack()
  {
    const std::vector<FieldDef> fields = {
        {"NRORDPROD", FieldType::String, 10}, {"DTHRINIPROD", FieldType::DateTime, 0}, {"QTPRODRESPROC", FieldType::Float, 0}};
    std::string out = "prefix:";
    PacketWriter w(out, fields);
    const double values[] = {46349.916666666664, 3808.0, -0.5, 1e21, 123456789.0001};
    for (double v : values) {
      w.beginRow();
      w.text("O\"1");
      w.number(v);
      w.number(v);
      w.endRow();
    }
    w.beginRow();
    w.null();
    w.number(std::nullopt);
    w.number(std::numeric_limits<double>::quiet_NaN());
    w.endRow();
    QCOMPARE(w.finish(), std::size_t(6));
    QVERIFY(out.starts_with("prefix:"));

    const json j = json::parse(out.substr(7));
    const DataPacket p = DataPacket::fromJson(j);
    QCOMPARE(p.fields, fields);
    QCOMPARE(p.rows.size(), std::size_t(6));
    for (std::size_t i = 0; i < std::size(values); ++i) {
      QCOMPARE(p.rows[i][0].get<std::string>(), std::string("O\"1"));
      QVERIFY2(p.rows[i][1].is_number_float(), p.rows[i][1].dump().c_str());
      QCOMPARE(p.rows[i][1].get<double>(), values[i]);
      QCOMPARE(p.rows[i][2].get<double>(), values[i]);
    }
    for (const json &cell : p.rows[5])
      QVERIFY(cell.is_null());
    // The field list is the text the library writes for it.
    DataPacket empty;
    empty.fields = fields;
    QCOMPARE(j["fields"].dump(), empty.toJson()["fields"].dump());
  }
};

QTEST_APPLESS_MAIN(tst_packetwriter)
#include "tst_packetwriter.moc"
