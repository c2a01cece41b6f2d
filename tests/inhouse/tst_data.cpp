// The data-aware layer over real rows: fields and formats, the data-set state machine and its
// events, the client data set's packets, queries on a real SQLite file, and the grid model.
#include <inhouse/data/clientdataset.h>
#include <inhouse/data/datasetmodel.h>
#include <inhouse/data/datasource.h>
#include <inhouse/sql/adoibquery.h>
#include <inhouse/text/editmask.h>
#include <inhouse/text/formatfloat.h>
#include <inhouse/text/regional.h>

#include <zrt/common/datetime.h>

#include <QAbstractItemModelTester>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

using zrt::DataPacket;
using zrt::FieldType;

namespace {

DataPacket reservations()
{
  DataPacket p;
  p.fields = {{"NRORDPROD", FieldType::String, 10},
              {"DTHRINIPROD", FieldType::DateTime, 0},
              {"QTPRODRESPROC", FieldType::Float, 0},
              {"CDPRODUTO", FieldType::String, 10}};
  const double d = zrt::toDateTime(QDate(2024, 12, 6), QTime(8, 30));
  p.rows = {{"OP1", d, 1234.5, "P1"}, {"OP2", d + 1, 2.0, "P2"}, {"OP3", nullptr, nullptr, nullptr}};
  return p;
}

QString errorOf(const std::function<void()> &f)
{
  try {
    f();
  } catch (const EDatabaseError &e) {
    return e.Message();
  }
  return QStringLiteral("<no error>");
}

} // namespace

class TstData : public QObject {
  Q_OBJECT
private slots:
  void floatFormats_data();
  void floatFormats();
  void editMasks_data();
  void editMasks();
  void dateTimeFormats_data();
  void dateTimeFormats();
  void fieldTexts();
  void openEventsAndScroll();
  void navigationBounds();
  void editInsertCancelPost();
  void wrongStateErrors();
  void persistentFieldsSurviveReload();
  void dataRoundTripKeepsPostedEdits();
  void closeKeepsTheLoadedPacket();
  void tableCloseReopenKeepsPostedEdits();
  void sharedTextChangesInOneRowOnly();
  void declaredFieldsCoerceLoadedCells_data();
  void declaredFieldsCoerceLoadedCells();
  void dataSourceMirrorsState();
  void modelFollowsDataSet();
  void queryOnSqlite();
};

void TstData::floatFormats_data()
{
  QTest::addColumn<QString>("format");
  QTest::addColumn<double>("value");
  QTest::addColumn<QString>("text");
  QTest::newRow("quantity") << "#,##0.0000" << 1234.5 << "1.234,5000";
  QTest::newRow("millions") << "#,##0.0000" << 1234567.891 << "1.234.567,8910";
  QTest::newRow("edit two places") << "#,##0.00" << 0.005 << "0,01";
  QTest::newRow("negative") << "#,##0.00" << -1500.0 << "-1.500,00";
  QTest::newRow("negative rounds to zero") << "#,##0.00" << -0.001 << "0,00";
  QTest::newRow("optional decimals") << "0.##" << 2.5 << "2,5";
  QTest::newRow("no decimals, grouping") << "#,##0" << 999999.6 << "1.000.000";
  QTest::newRow("literal suffix") << "0.0' kg'" << 3.25 << "3,3 kg";
}

void TstData::floatFormats()
{
  QFETCH(QString, format);
  QFETCH(double, value);
  QFETCH(QString, text);
  QCOMPARE(FormatFloat(format, value), text);
}

void TstData::editMasks_data()
{
  QTest::addColumn<QString>("mask");
  QTest::addColumn<QString>("value");
  QTest::addColumn<QString>("text");
  // clang-format off
  QTest::newRow("hour kept with literals") << "!90:00;1; " << "08:00" << "08:00";
  QTest::newRow("product code without literals") << "999.999.99;0;_" << "12345678" << "123.456.78";
  QTest::newRow("short code padded with blank") << "999.999;0;_" << "123" << "123.___";
  QTest::newRow("escaped literal") << "\\A-000;0;_" << "12" << "A-12_";
  QTest::newRow("part typed short, blanks first") << "!90:00;1; " << "8:00" << " 8:00";
  QTest::newRow("part typed short, blanks after") << "90:00;1; " << "8:00" << "8 :00";
  QTest::newRow("literals put in when not saved") << "00/00;0;_" << "1234" << "12/34";
  QTest::newRow("_ is a blank literal") << "00_00;0;*" << "1234" << "12 34";
  QTest::newRow("blank defaults to _") << "000" << "1" << "1__";
  QTest::newRow("empty blank section") << "000;0;" << "1" << "1__";
  QTest::newRow("escaped separator") << "0\\;0;1;_" << "1;2" << "1;2";
  QTest::newRow("upper case") << ">LL-000;1;_" << "ab-123" << "AB-123";
  QTest::newRow("lower case, then as typed") << "<L<>L;1;_" << "AB" << "aB";
  // clang-format on
}

void TstData::editMasks()
{
  QFETCH(QString, mask);
  QFETCH(QString, value);
  QFETCH(QString, text);
  QCOMPARE(FormatMaskText(mask, value), text);
}

void TstData::dateTimeFormats_data()
{
  QTest::addColumn<QString>("format");
  QTest::addColumn<double>("value");
  QTest::addColumn<QString>("text");
  const double friday = zrt::toDateTime(QDate(2024, 12, 6), QTime(8, 5, 9));
  QTest::newRow("date and time") << "dd/mm/yyyy hh:nn:ss" << friday << "06/12/2024 08:05:09";
  QTest::newRow("short parts") << "d/m/yy h:n" << friday << "6/12/24 8:5";
  QTest::newRow("m after the hour is minutes") << "hh:mm" << friday << "08:05";
  QTest::newRow("weekday") << "dddd" << friday << "sexta-feira";
  QTest::newRow("quoted text") << "'Dia' dd" << friday << "Dia 06";
  QTest::newRow("year below 1000") << "dd/mm/yyyy" << zrt::toDateTime(QDate(100, 1, 1)) << "01/01/0100";
  QTest::newRow("out of range") << "dd/mm/yyyy" << 1e9 << "";
}

void TstData::dateTimeFormats()
{
  QFETCH(QString, format);
  QFETCH(double, value);
  QFETCH(QString, text);
  QCOMPARE(FormatDateTimeText(format, value), text);
}

void TstData::fieldTexts()
{
  TClientDataSet cds;
  cds.SetData(reservations());
  TField &ini = cds.FieldByName(QStringLiteral("DTHRINIPROD"));
  TField &qt = cds.FieldByName(QStringLiteral("qtprodresproc")); // names are found whatever their case
  QCOMPARE(ini.DisplayText(), QStringLiteral("06/12/2024 08:30:00"));
  QCOMPARE(ini.AsDateTime(), zrt::toDateTime(QDate(2024, 12, 6), QTime(8, 30)));
  ini.DisplayFormat = QStringLiteral("dd/mm/yyyy hh:nn");
  QCOMPARE(ini.DisplayText(), QStringLiteral("06/12/2024 08:30"));
  qt.DisplayFormat = QStringLiteral("#,##0.0000");
  qt.EditFormat = QStringLiteral("#,##0.00");
  QCOMPARE(qt.DisplayText(), QStringLiteral("1.234,5000"));
  QCOMPARE(qt.Text(), QStringLiteral("1.234,50"));

  cds.Edit();
  qt.SetText(QStringLiteral("2.500,75")); // typed the way the user reads it
  QCOMPARE(qt.AsFloat(), 2500.75);
  ini.SetText(QStringLiteral("31/12/2024 23:59"));
  QCOMPARE(zrt::fromDateTime(ini.AsDateTime()), QDateTime(QDate(2024, 12, 31), QTime(23, 59)));
  QCOMPARE(errorOf([&] { qt.SetText(QStringLiteral("abc")); }),
           QStringLiteral("'abc' não é um valor de ponto flutuante válido."));
  TField &code = cds.FieldByName(QStringLiteral("NRORDPROD"));
  code.SetValue(QStringLiteral("ABCDEFGHIJKLMN")); // longer than its size of 10
  QCOMPARE(code.AsString(), QStringLiteral("ABCDEFGHIJ"));
  QString seen;
  code.OnSetText = [&](TField &f, const QString &t) {
    seen = t;
    f.SetValue(t.toUpper());
  };
  code.SetText(QStringLiteral("op9"));
  QCOMPARE(seen, QStringLiteral("op9"));
  QCOMPARE(code.AsString(), QStringLiteral("OP9"));
  cds.Post();

  cds.Last();
  QVERIFY(ini.IsNull());
  QCOMPARE(ini.DisplayText(), QString());
  QCOMPARE(qt.AsFloat(), 0.0);
}

void TstData::openEventsAndScroll()
{
  TClientDataSet cds;
  QStringList log;
  cds.BeforeOpen = [&](TDataSet &ds) { log << QStringLiteral("BeforeOpen:%1").arg(ds.Active()); };
  cds.AfterOpen = [&](TDataSet &ds) { log << QStringLiteral("AfterOpen:%1").arg(ds.RecNo()); };
  cds.AfterScroll = [&](TDataSet &ds) {
    log << QStringLiteral("AfterScroll:%1").arg(ds.FieldByName(QStringLiteral("NRORDPROD")).AsString());
  };
  cds.AfterClose = [&](TDataSet &) { log << QStringLiteral("AfterClose"); };
  cds.SetData(reservations());
  QCOMPARE(log, QStringList({QStringLiteral("BeforeOpen:0"), QStringLiteral("AfterOpen:1"), QStringLiteral("AfterScroll:OP1")}));

  log.clear();
  DataPacket empty = reservations();
  empty.rows.clear();
  cds.SetData(empty); // closes the loaded set first, opens empty without a scroll
  QCOMPARE(log, QStringList({QStringLiteral("AfterClose"), QStringLiteral("BeforeOpen:0"), QStringLiteral("AfterOpen:0")}));
  QVERIFY(cds.IsEmpty() && cds.Bof() && cds.Eof());

  // A failing before-open step leaves the set closed, so no stale rows are shown.
  log.clear();
  cds.Close();
  cds.BeforeOpen = [](TDataSet &) { throw EDatabaseError(QStringLiteral("falhou")); };
  QCOMPARE(errorOf([&] { cds.SetData(reservations()); }), QStringLiteral("falhou"));
  QCOMPARE(cds.State(), dsInactive);
  QCOMPARE(cds.RecordCount(), 0);
}

void TstData::navigationBounds()
{
  TClientDataSet cds;
  cds.SetData(reservations());
  int scrolls = 0;
  cds.AfterScroll = [&](TDataSet &) { ++scrolls; };
  QVERIFY(cds.Bof() && !cds.Eof());
  cds.Next();
  cds.Next();
  QCOMPARE(cds.RecNo(), 3);
  QVERIFY(!cds.Eof()); // on the last row, Eof only after trying to pass it
  cds.Next();
  QVERIFY(cds.Eof());
  QCOMPARE(cds.RecNo(), 3);
  QCOMPARE(scrolls, 2);
  QCOMPARE(cds.MoveBy(-10), -2);
  QVERIFY(cds.Bof());
  cds.SetRecNo(2);
  QCOMPARE(cds.FieldByName(QStringLiteral("NRORDPROD")).AsString(), QStringLiteral("OP2"));
  QCOMPARE(scrolls, 4);
  // Visiting every row the usual way ends on Eof after the last.
  QStringList seen;
  for (cds.First(); !cds.Eof(); cds.Next())
    seen << cds.FieldByName(QStringLiteral("NRORDPROD")).AsString();
  QCOMPARE(seen, QStringList({QStringLiteral("OP1"), QStringLiteral("OP2"), QStringLiteral("OP3")}));
}

void TstData::editInsertCancelPost()
{
  TClientDataSet cds;
  cds.SetData(reservations());
  TField &code = cds.FieldByName(QStringLiteral("NRORDPROD"));
  cds.Next(); // on OP2
  cds.Insert();
  QCOMPARE(cds.State(), dsInsert);
  QCOMPARE(cds.RecordCount(), 4);
  QCOMPARE(cds.RecNo(), 2);
  QVERIFY(code.IsNull());
  code.SetValue(QStringLiteral("NEW"));
  cds.Cancel();
  QCOMPARE(cds.RecordCount(), 3);
  QCOMPARE(code.AsString(), QStringLiteral("OP2")); // back on the row that was current

  cds.Append();
  code.SetValue(QStringLiteral("OP4"));
  cds.Post();
  QCOMPARE(cds.State(), dsBrowse);
  QCOMPARE(cds.RecordCount(), 4);
  QCOMPARE(cds.RecNo(), 4);
  QCOMPARE(code.AsString(), QStringLiteral("OP4"));

  cds.First();
  cds.Edit();
  code.SetValue(QStringLiteral("CHANGED"));
  cds.Cancel();
  QCOMPARE(code.AsString(), QStringLiteral("OP1"));

  cds.Edit();
  code.SetValue(QStringLiteral("MOVED"));
  cds.Next(); // moving away posts the pending edit
  QCOMPARE(cds.State(), dsBrowse);
  cds.Prior();
  QCOMPARE(code.AsString(), QStringLiteral("MOVED"));

  cds.Last();
  cds.Delete();
  QCOMPARE(cds.RecordCount(), 3);
  QVERIFY(cds.Eof());
  QCOMPARE(code.AsString(), QStringLiteral("OP3"));
  cds.EmptyDataSet();
  QVERIFY(cds.Active() && cds.IsEmpty());
  QCOMPARE(errorOf([&] { cds.Delete(); }),
           QStringLiteral("Não é possível executar esta operação em um conjunto de dados vazio."));
}

void TstData::wrongStateErrors()
{
  TClientDataSet cds;
  QCOMPARE(errorOf([&] { cds.Next(); }),
           QStringLiteral("Não é possível executar esta operação em um conjunto de dados fechado."));
  QCOMPARE(errorOf([&] { cds.Open(); }), QStringLiteral("Provedor ou pacote de dados ausente."));
  cds.SetData(reservations());
  QCOMPARE(errorOf([&] { cds.FieldByName(QStringLiteral("NRORDPROD")).SetValue(QStringLiteral("X")); }),
           QStringLiteral("Conjunto de dados não está em modo de edição ou inserção."));
  QCOMPARE(errorOf([&] { cds.Post(); }), QStringLiteral("Conjunto de dados não está em modo de edição ou inserção."));
  QCOMPARE(errorOf([&] { cds.FieldByName(QStringLiteral("NAOEXISTE")); }), QStringLiteral("Campo 'NAOEXISTE' não encontrado."));
  QVERIFY(!cds.FindField(QStringLiteral("NAOEXISTE")));
  cds.ReadOnly = true;
  for (auto op : {&TDataSet::Insert, &TDataSet::Edit, &TDataSet::Delete, &TDataSet::Append})
    QCOMPARE(errorOf([&] { (cds.*op)(); }), QStringLiteral("Não é possível modificar um conjunto de dados somente leitura."));
  QCOMPARE(cds.RecordCount(), 3);
  QCOMPARE(cds.State(), dsBrowse);
}

void TstData::persistentFieldsSurviveReload()
{
  TClientDataSet cds;
  TField &qt = cds.AddField(QStringLiteral("QTPRODRESPROC"), ftFloat);
  qt.DisplayLabel = QStringLiteral("Quantidade");
  qt.DisplayFormat = QStringLiteral("#,##0.0000");
  TField &prod = cds.AddField(QStringLiteral("CDPRODUTO"), ftString, 10);
  prod.Visible = false;
  QCOMPARE(cds.FieldCount(), 2); // declared fields are the list until data come
  cds.SetData(reservations());
  QCOMPARE(&cds.FieldByName(QStringLiteral("QTPRODRESPROC")), &qt);
  QCOMPARE(qt.Label(), QStringLiteral("Quantidade"));
  QCOMPARE(qt.DisplayText(), QStringLiteral("1.234,5000"));
  QCOMPARE(cds.FieldCount(), 4);
  cds.SetData(reservations());
  QCOMPARE(&cds.FieldByName(QStringLiteral("QTPRODRESPROC")), &qt);
  QVERIFY(!prod.Visible);

  // A declared field the packet lacks is an error, and the set stays closed.
  DataPacket narrow;
  narrow.fields = {{"NRORDPROD", FieldType::String, 10}};
  QCOMPARE(errorOf([&] { cds.SetData(narrow); }), QStringLiteral("Campo 'QTPRODRESPROC' não encontrado."));
  QVERIFY(!cds.Active());
}

void TstData::dataRoundTripKeepsPostedEdits()
{
  TClientDataSet cds;
  cds.SetData(reservations());
  cds.Edit();
  cds.FieldByName(QStringLiteral("QTPRODRESPROC")).SetValue(7.25);
  cds.Post();
  const DataPacket back = cds.Data();
  QCOMPARE(back.fields, reservations().fields);
  QCOMPARE(back.rows.size(), size_t(3));
  QCOMPARE(back.rows[0][2].get<double>(), 7.25);
  QVERIFY(back.rows[2][1].is_null());
  // The packet survives the wire format check and a close/open keeps the edit.
  QCOMPARE(DataPacket::fromJson(back.toJson()).rows.size(), size_t(3));
  cds.Close();
  cds.Open();
  QCOMPARE(cds.FieldByName(QStringLiteral("QTPRODRESPROC")).AsFloat(), 7.25);
}

void TstData::closeKeepsTheLoadedPacket()
{
  // A float column may arrive with whole numbers: a close without changes gives back the
  // field list and values as loaded (the whole number as its float).
  DataPacket wire = reservations();
  wire.rows[0][2] = 1500;
  TClientDataSet cds;
  cds.SetData(wire);
  cds.Next();
  cds.Close();
  QVERIFY2(cds.Data().toJson() == wire.toJson(), cds.Data().toJson().dump().c_str());
  // A change is what a close keeps, also after a reload of the same packet.
  cds.Open();
  cds.Edit();
  cds.FieldByName(QStringLiteral("QTPRODRESPROC")).SetValue(7.25);
  cds.Post();
  cds.Close();
  QCOMPARE(cds.Data().rows[0][2].get<double>(), 7.25);
  cds.Open();
  cds.Close();
  QCOMPARE(cds.Data().rows[0][2].get<double>(), 7.25);
}

void TstData::tableCloseReopenKeepsPostedEdits()
{
  TDataTable table;
  table.fields = {{"NRORDPROD", FieldType::String, 10}, {"QTPRODRESPROC", FieldType::Float, 0}};
  table.rows = {{QStringLiteral("OP1"), 1.5}, {QStringLiteral("OP2"), 2.5}, {QStringLiteral("OP3"), QVariant()}};
  TClientDataSet cds;
  cds.SetData(std::move(table));
  QCOMPARE(cds.RecordCount(), 3);
  cds.Edit();
  cds.FieldByName(QStringLiteral("QTPRODRESPROC")).SetValue(7.25);
  cds.Post();
  cds.Last();
  cds.Delete();
  cds.Append();
  cds.FieldByName(QStringLiteral("NRORDPROD")).SetValue(QStringLiteral("OP9"));
  cds.Post();
  cds.Append(); // pending: a close drops it
  cds.FieldByName(QStringLiteral("NRORDPROD")).SetValue(QStringLiteral("OPX"));
  cds.Close();
  QVERIFY(cds.HasData());
  const DataPacket closed = cds.Data();
  QCOMPARE(closed.fields.size(), size_t(2));
  QCOMPARE(closed.rows.size(), size_t(3));
  QCOMPARE(closed.rows[0][1].get<double>(), 7.25);
  QCOMPARE(closed.rows[2][0].get<std::string>(), std::string("OP9"));
  QVERIFY(closed.rows[2][1].is_null());
  cds.Open();
  QCOMPARE(cds.RecordCount(), 3);
  QCOMPARE(cds.FieldByName(QStringLiteral("QTPRODRESPROC")).AsFloat(), 7.25);
  QCOMPARE(cds.Data().toJson(), closed.toJson());
  cds.EmptyDataSet();
  cds.Close();
  cds.Open();
  QVERIFY(cds.IsEmpty());
}

void TstData::sharedTextChangesInOneRowOnly()
{
  // Loaded rows share one string for a repeated text; an edit must not reach the others.
  const QString order = QStringLiteral("OP1");
  TDataTable table;
  table.fields = {{"NRORDPROD", FieldType::String, 10}};
  table.rows = {{order}, {order}, {order}};
  TClientDataSet cds;
  cds.SetData(std::move(table));
  cds.Next();
  cds.Edit();
  cds.FieldByName(QStringLiteral("NRORDPROD")).SetValue(QStringLiteral("OP2"));
  cds.Post();
  QCOMPARE(cds.CellValue(0, 0).toString(), order);
  QCOMPARE(cds.CellValue(1, 0).toString(), QStringLiteral("OP2"));
  QCOMPARE(cds.CellValue(2, 0).toString(), order);
  QCOMPARE(order, QStringLiteral("OP1"));
}

void TstData::declaredFieldsCoerceLoadedCells_data()
{
  QTest::addColumn<int>("loadedType"); // the column's kind as loaded
  QTest::addColumn<QVariant>("cell");
  QTest::addColumn<int>("declared"); // the declared field's kind and size
  QTest::addColumn<int>("size");
  QTest::addColumn<QVariant>("expected");
  QTest::addColumn<QString>("error");
  const double when = zrt::toDateTime(QDate(2024, 12, 6), QTime(8, 30));
  const double day = zrt::toDateTime(QDate(2024, 12, 6));
  const int text = int(FieldType::String), dateTime = int(FieldType::DateTime), number = int(FieldType::Float);
  const int integer = int(FieldType::Integer);
  // clang-format off
  QTest::newRow("text within its size") << text << QVariant(QStringLiteral("ABC")) << int(ftString) << 5 << QVariant(QStringLiteral("ABC")) << "";
  QTest::newRow("text over its size") << text << QVariant(QStringLiteral("ABCDEF")) << int(ftString) << 3 << QVariant(QStringLiteral("ABC")) << "";
  QTest::newRow("null text") << text << QVariant(QString()) << int(ftString) << 3 << QVariant(QStringLiteral("")) << "";
  QTest::newRow("no value") << text << QVariant() << int(ftString) << 3 << QVariant() << "";
  QTest::newRow("date-time") << dateTime << QVariant(when) << int(ftDateTime) << 0 << QVariant(when) << "";
  QTest::newRow("date-time in a date field") << dateTime << QVariant(when) << int(ftDate) << 0 << QVariant(day) << "";
  QTest::newRow("day in a date field") << dateTime << QVariant(day) << int(ftDate) << 0 << QVariant(day) << "";
  QTest::newRow("date-time text") << text << QVariant(QStringLiteral("2024-12-06 08:30:00")) << int(ftDateTime) << 0 << QVariant(when) << "";
  QTest::newRow("date-time out of range") << dateTime << QVariant(1e9) << int(ftDateTime) << 0 << QVariant() << "não é uma data e hora válida";
  QTest::newRow("not a number") << number << QVariant(qQNaN()) << int(ftFloat) << 0 << QVariant() << "não é um valor de ponto flutuante válido";
  QTest::newRow("whole float in an integer field") << number << QVariant(2.0) << int(ftInteger) << 0 << QVariant(qint64(2)) << "";
  QTest::newRow("integer in a float field") << integer << QVariant(qint64(3)) << int(ftFloat) << 0 << QVariant(3.0) << "";
  QTest::newRow("integer") << integer << QVariant(qint64(7)) << int(ftInteger) << 0 << QVariant(qint64(7)) << "";
  QTest::newRow("boolean text") << text << QVariant(QStringLiteral("S")) << int(ftBoolean) << 0 << QVariant(true) << "";
  // clang-format on
}

void TstData::declaredFieldsCoerceLoadedCells()
{
  QFETCH(int, loadedType);
  QFETCH(QVariant, cell);
  QFETCH(int, declared);
  QFETCH(int, size);
  QFETCH(QVariant, expected);
  QFETCH(QString, error);
  TClientDataSet cds;
  cds.AddField(QStringLiteral("X"), TFieldType(declared), size);
  TDataTable table;
  table.fields = {{"X", FieldType(loadedType), 0}};
  table.rows = {{cell}, {cell}};
  if (!error.isEmpty()) {
    QVERIFY(errorOf([&] { cds.SetData(std::move(table)); }).contains(error));
    // The rows stay with the set for the next try.
    QVERIFY(!cds.Active());
    QCOMPARE(cds.Data().rows.size(), size_t(2));
    return;
  }
  cds.SetData(std::move(table));
  for (int row = 0; row < 2; ++row) {
    QCOMPARE(cds.CellValue(row, 0).typeId(), expected.typeId());
    QCOMPARE(cds.CellValue(row, 0), expected);
  }
}

void TstData::dataSourceMirrorsState()
{
  TClientDataSet cds;
  TDataSource dts(nullptr, &cds);
  QList<TDataSetState> states;
  dts.OnStateChange = [&](TDataSource &s) { states << s.State(); };
  QSignalSpy spy(&dts, &TDataSource::stateChanged);
  cds.SetData(reservations());
  cds.Edit();
  cds.Post();
  cds.Insert();
  cds.Cancel();
  cds.Close();
  QCOMPARE(states, QList<TDataSetState>({dsBrowse, dsEdit, dsBrowse, dsInsert, dsBrowse, dsInactive}));
  QCOMPARE(spy.count(), 6);
  TClientDataSet other;
  dts.SetDataSet(&other);
  QCOMPARE(dts.State(), dsInactive);
  auto *doomed = new TClientDataSet;
  dts.SetDataSet(doomed);
  doomed->SetData(reservations());
  QCOMPARE(states.last(), dsBrowse);
  delete doomed; // the source must not keep a dangling set
  QVERIFY(!dts.DataSet());
  QCOMPARE(states.last(), dsInactive);
}

void TstData::modelFollowsDataSet()
{
  TClientDataSet cds;
  cds.AddField(QStringLiteral("CDPRODUTO"), ftString, 10).Visible = false;
  TField &qt = cds.AddField(QStringLiteral("QTPRODRESPROC"), ftFloat);
  qt.DisplayLabel = QStringLiteral("Quantidade");
  qt.DisplayFormat = QStringLiteral("#,##0.0000");
  TDataSource dts(nullptr, &cds);
  TDataSetModel model(&dts);
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
  QCOMPARE(model.rowCount(), 0);

  cds.SetData(reservations());
  QCOMPARE(model.rowCount(), 3);
  QCOMPARE(model.Columns(),
           QStringList({QStringLiteral("NRORDPROD"), QStringLiteral("DTHRINIPROD"), QStringLiteral("QTPRODRESPROC")}));
  QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("Quantidade"));
  QCOMPARE(model.data(model.index(0, 2)).toString(), QStringLiteral("1.234,5000"));
  QVERIFY(model.data(model.index(0, 2), Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight);
  QVERIFY(model.data(model.index(0, 0), Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignLeft);

  model.SetColumns({QStringLiteral("NRORDPROD"), QStringLiteral("CDPRODUTO")});
  TField &prod = cds.FieldByName(QStringLiteral("CDPRODUTO"));
  prod.EditMask = QStringLiteral("A-99;0;_");
  QCOMPARE(model.data(model.index(1, 1)).toString(), QStringLiteral("P-2_"));

  QSignalSpy current(&model, &TDataSetModel::currentRowChanged);
  int scrolls = 0;
  cds.AfterScroll = [&](TDataSet &) { ++scrolls; };
  model.SetCurrentRow(2);
  QCOMPARE(cds.RecNo(), 3);
  QCOMPARE(model.CurrentRow(), 2);
  QCOMPARE(scrolls, 1);
  QCOMPARE(current.last().at(0).toInt(), 2);

  QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
  cds.Edit();
  cds.FieldByName(QStringLiteral("NRORDPROD")).SetValue(QStringLiteral("OP9"));
  QVERIFY(!changed.isEmpty());
  QCOMPARE(model.data(model.index(2, 0)).toString(), QStringLiteral("OP9"));
  cds.Post();
  cds.Insert();
  QCOMPARE(model.rowCount(), 4);
  cds.Cancel();
  QCOMPARE(model.rowCount(), 3);
  cds.Delete();
  QCOMPARE(model.rowCount(), 2);
  cds.Close();
  QCOMPARE(model.rowCount(), 0);
  QCOMPARE(model.columnCount(), 2);
}

void TstData::queryOnSqlite()
{
  QTemporaryDir dir;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("tst_data_host"));
    db.setDatabaseName(dir.filePath(QStringLiteral("host.db")));
    QVERIFY(db.open());
    QSqlQuery q(db);
    QVERIFY(q.exec(QStringLiteral("CREATE TABLE EQUIPAPROD (CDEQUIPPRO varchar(10) PRIMARY KEY, SGEQUIPPRO varchar(10), "
                                  "NMEQUIPPRO varchar(40), CDGRUPOEQUIPA varchar(10), DTCAD timestamp)")));
    QVERIFY(q.exec(QStringLiteral("INSERT INTO EQUIPAPROD VALUES ('EQ1','E1','Prensa','G1','2024-12-06 08:30:00'),"
                                  "('EQ10','E10','Torno','G2','2024-12-07 00:00:00'),('EQ2','E2','Forno','G1',NULL)")));
  }
  QObject dtm;
  dtm.setObjectName("dtmDBGeral");
  new TDatabaseConnection(QStringLiteral("adcGeral"), QStringLiteral("tst_data_host"), &dtm);
  new TDatabaseConnection(QStringLiteral("dtbGeral"), QStringLiteral("tst_data_host"), &dtm);
  new TDatabaseConnection(QStringLiteral("ibtGeral"), QStringLiteral("tst_data_host"), &dtm);
  RegisterDataModule(&dtm);
  QCOMPARE(FindDataModule(QStringLiteral("dtmDBGeral")), &dtm);

  TADOIBQuery qry;
  qry.Name = QStringLiteral("qryEquipamento");
  qry.SQL = QStringList{QStringLiteral("SELECT CDEQUIPPRO, SGEQUIPPRO, NMEQUIPPRO, DTCAD"), QStringLiteral("FROM EQUIPAPROD"),
                        QStringLiteral("WHERE ((INSTR(:P_GR, ';' || CDGRUPOEQUIPA || ';') > 0) or (:P_TGR = 'T'))"),
                        QStringLiteral("AND ((INSTR(:P_EQ, ';' || CDEQUIPPRO || ';') > 0) OR (:P_TEQ = 'T'))"),
                        QStringLiteral("ORDER BY CDEQUIPPRO")};
  qry.SQL_IB = QStringList{QStringLiteral("SELECT broken FROM PARAM(:P_GR)")}; // never chosen on SQLite
  qry.BindDataModule();
  QCOMPARE(qry.Connection()->Kind(), TDatabaseKind::Generic);
  QCOMPARE(qry.ParamNames(),
           QStringList({QStringLiteral("P_GR"), QStringLiteral("P_TGR"), QStringLiteral("P_EQ"), QStringLiteral("P_TEQ")}));
  qry.AddField(QStringLiteral("DTCAD"), ftDateTime); // the SQLite text column read as a date-time

  auto codes = [&](const QString &gr, const QString &tgr, const QString &eq, const QString &teq) {
    qry.Close();
    qry.ParamByName(QStringLiteral("P_GR")).SetAsString(gr);
    qry.ParamByName(QStringLiteral("P_TGR")).SetAsString(tgr);
    qry.ParamByName(QStringLiteral("P_EQ")).SetAsString(eq);
    qry.ParamByName(QStringLiteral("P_TEQ")).SetAsString(teq);
    qry.Open();
    QStringList got;
    for (int r = 0; r < qry.RecordCount(); ++r)
      got << qry.CellValue(r, qry.FieldByName(QStringLiteral("CDEQUIPPRO")).Index()).toString();
    return got;
  };
  QCOMPARE(codes(QStringLiteral(""), QStringLiteral("T"), QStringLiteral(""), QStringLiteral("T")),
           QStringList({QStringLiteral("EQ1"), QStringLiteral("EQ10"), QStringLiteral("EQ2")}));
  QCOMPARE(codes(QStringLiteral(""), QStringLiteral("T"), QStringLiteral(";EQ10;"), QStringLiteral("")),
           QStringList({QStringLiteral("EQ10")})); // EQ1 is not inside ";EQ10;"
  QCOMPARE(codes(QStringLiteral(";G1;"), QStringLiteral(""), QStringLiteral(""), QStringLiteral("T")),
           QStringList({QStringLiteral("EQ1"), QStringLiteral("EQ2")}));
  QCOMPARE(codes(QStringLiteral(""), QStringLiteral(""), QStringLiteral(""), QStringLiteral("T")),
           QStringList()); // empty list without its flag: none
  QCOMPARE(codes(QStringLiteral(""), QStringLiteral("T"), QStringLiteral("';DROP TABLE EQUIPAPROD;--"), QStringLiteral("")),
           QStringList());
  QCOMPARE(codes(QStringLiteral(""), QStringLiteral("T"), QStringLiteral(""), QStringLiteral("T")).size(),
           3); // the quote travelled as data

  qry.First();
  QCOMPARE(qry.FieldByName(QStringLiteral("DTCAD")).DisplayText(), QStringLiteral("06/12/2024 08:30:00"));
  QCOMPARE(qry.FieldByName(QStringLiteral("NMEQUIPPRO")).AsString(), QStringLiteral("Prensa"));
  QCOMPARE(errorOf([&] { qry.Edit(); }), QStringLiteral("Não é possível modificar um conjunto de dados somente leitura."));
  QCOMPARE(errorOf([&] { qry.ParamByName(QStringLiteral("P_X")); }), QStringLiteral("Parâmetro 'P_X' não encontrado."));

  // A broken text reports the database's complaint and leaves the query closed.
  qry.Close();
  qry.SQL = QStringList{QStringLiteral("SELECT * FROM NAOEXISTE")};
  QVERIFY(errorOf([&] { qry.Open(); }).startsWith(QStringLiteral("Erro no banco de dados: ")));
  QVERIFY(!qry.Active());
  UnregisterDataModule(&dtm);
  QVERIFY(!FindDataModule(QStringLiteral("dtmDBGeral")));
}

QTEST_MAIN(TstData)
#include "tst_data.moc"
