// Measures the multi-selection picker over 20,000 equipment: opening it up to its first paint,
// one search keystroke and "Marcar todos", each next to its floor (filling a vector with the rows;
// a plain scan over the folded texts). Prints figures; never fails on timing.
#include <inhouse/data/clientdataset.h>
#include <inhouse/errors.h>
#include <inhouse/services/search.h>
#include <inhouse/ui/picklist.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {
constexpr int kRows = 20000;
constexpr int kRuns = 5;

double Ms(const QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e6; }

zrt::DataPacket Equipment()
{
  zrt::DataPacket p;
  p.fields = {{"CDEQUIPPRO", zrt::FieldType::String, 10},
              {"SGEQUIPPRO", zrt::FieldType::String, 10},
              {"NMEQUIPPRO", zrt::FieldType::String, 40}};
  const char *kinds[] = {"Prensa Hidráulica", "Torno Mecânico", "Estação de Solda", "Injetora", "Fresadora"};
  p.rows.reserve(kRows);
  for (int i = 0; i < kRows; ++i)
    p.rows.push_back({QStringLiteral("EQ%1").arg(i, 5, 10, QLatin1Char('0')).toStdString(), "E" + std::to_string(i),
                      std::string(kinds[i % 5]) + " " + std::to_string(i)});
  return p;
}

// Runs `act` inside the picker once it is open, then cancels it.
void WithOpenPicker(TDataSet &set, const std::function<void(QWidget *)> &act)
{
  QTimer::singleShot(0, [act] {
    QWidget *dialog = QApplication::activeModalWidget();
    if (!dialog) {
      std::printf("  the picker did not open\n");
      return;
    }
    act(dialog);
    QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
  });
  ExecPickList(nullptr, QStringLiteral("Equipamento"), set, QStringLiteral("CDEQUIPPRO"), {}, false);
}

void TypeKey(QWidget *target, Qt::Key key, const QString &text)
{
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QApplication::sendEvent(target, &release);
}

template <class F>
double Best(F f)
{
  double best = 1e9;
  for (int run = 0; run < kRuns; ++run)
    best = std::min(best, f());
  return best;
}
} // namespace

int main(int argc, char **argv)
{
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  // The offscreen platform warns at every dialog shown; the figures read better without it.
  qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &text) {
    if (!text.contains(QLatin1String("propagateSizeHints")))
      std::fprintf(stderr, "%s\n", qPrintable(text));
  });
  QApplication app(argc, argv);
  SetErrorReporter([](const QString &e) { std::fprintf(stderr, "error: %s\n", qPrintable(e)); });

  TClientDataSet set;
  set.SetData(Equipment());
  std::printf("Picker over %d equipment (code, short name, name)\n", set.RecordCount());

  // Floor of the open: one pass over the rows, their texts copied into a vector.
  const double fillFloor = Best([&] {
    QElapsedTimer t;
    t.start();
    std::vector<QString> rows;
    rows.reserve(size_t(kRows));
    for (int row = 0; row < kRows; ++row)
      rows.push_back(set.CellDisplayText(row, 0) + set.CellDisplayText(row, 1) + set.CellDisplayText(row, 2));
    return Ms(t);
  });
  const double open = Best([&] {
    QElapsedTimer t;
    t.start();
    double ms = 0;
    WithOpenPicker(set, [&](QWidget *dialog) {
      dialog->grab();
      ms = Ms(t);
    });
    return ms;
  });
  std::printf("  open + first paint:     %7.2f ms (best of %d); floor, rows into a vector: %.2f ms\n", open, kRuns, fillFloor);

  // Floor of a keystroke: a linear scan over texts folded beforehand.
  std::vector<QString> folded;
  for (int row = 0; row < kRows; ++row)
    folded.push_back(
        FoldText(set.CellDisplayText(row, 0) + u'\x1f' + set.CellDisplayText(row, 1) + u'\x1f' + set.CellDisplayText(row, 2)));
  int matched = 0;
  const double scanFloor = Best([&] {
    QElapsedTimer t;
    t.start();
    std::vector<int> shown;
    for (int row = 0; row < kRows; ++row)
      if (folded[size_t(row)].contains(QLatin1String("7")))
        shown.push_back(row);
    matched = int(shown.size());
    return Ms(t);
  });
  double keystroke = 1e9, markAll = 1e9;
  int shownAfter = -1;
  WithOpenPicker(set, [&](QWidget *dialog) {
    auto *search = dialog->findChild<QLineEdit *>(QStringLiteral("edtPesquisa"));
    auto *grid = dialog->findChild<QTableView *>(QStringLiteral("grdLista"));
    auto *mark = dialog->findChild<QPushButton *>(QStringLiteral("btnMarcarTodos"));
    auto *unmark = dialog->findChild<QPushButton *>(QStringLiteral("btnDesmarcarTodos"));
    dialog->grab();
    for (int run = 0; run < kRuns; ++run) {
      search->clear();
      QApplication::processEvents();
      QElapsedTimer t;
      t.start();
      TypeKey(search, Qt::Key_7, QStringLiteral("7"));
      QApplication::processEvents();
      dialog->grab();
      keystroke = std::min(keystroke, Ms(t));
      shownAfter = grid->model()->rowCount();
    }
    search->clear();
    QApplication::processEvents();
    for (int run = 0; run < kRuns; ++run) {
      unmark->click();
      QApplication::processEvents();
      QElapsedTimer t;
      t.start();
      mark->click();
      QApplication::processEvents();
      dialog->grab();
      markAll = std::min(markAll, Ms(t));
    }
  });
  std::printf("  one search keystroke:   %7.2f ms (best of %d, %d rows left shown); floor, scan over folded texts: %.2f ms "
              "(%d matches)\n",
              keystroke, kRuns, shownAfter, scanFloor, matched);
  std::printf("  \"Marcar todos\" (20,000): %7.2f ms (best of %d, repaint included)\n", markAll, kRuns);
  return 0;
}
