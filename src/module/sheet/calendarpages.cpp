// The sheet's "Mês" and "Ano" pages: one month calendar and the twelve calendars of a year,
// marking the days on which reservations of the period start, stepped month by month or year
// by year without asking the server again, and opening the day window on a double click.
#include "package/units.h"
#include "shared/glyphs.h"
#include "shared/servercall.h"
#include "sheet/frmplanilha.h"
#include "sheet/period.h"

#include <inhouse/services/errors.h>
#include <inhouse/ui/colours.h>

#include <QHBoxLayout>

using namespace Cli_zrt02600;

std::function<void(const QString &, double, double, double)> TfrmPlanilha::CriaReseDia = Cli_zrt02602::CriaReseDia;

namespace {
constexpr int kPrimeiroAno = 2000; // the navigation never steps before January 2000

struct TMonthCalendar {
  const char *name;
  quint16 month;
};
const TMonthCalendar kYearCalendars[12] = {
    {"dbcJaneiro", 1}, {"dbcFevereiro", 2}, {"dbcMarco", 3},    {"dbcAbril", 4},    {"dbcMaio", 5},      {"dbcJunho", 6},
    {"dbcJulho", 7},   {"dbcAgosto", 8},    {"dbcSetembro", 9}, {"dbcOutubro", 10}, {"dbcNovembro", 11}, {"dbcDezembro", 12},
};

QFont Bold(QFont font)
{
  font.setBold(true);
  return font;
}

// The month or year shown between the two step buttons: window colour, single border, bold.
QLabel *CaptionPanel(QWidget *parent, const char *name)
{
  auto *panel = new QLabel(parent);
  panel->setObjectName(QLatin1String(name));
  panel->setFixedSize(140, 21);
  panel->setAlignment(Qt::AlignCenter);
  panel->setFrameStyle(QFrame::Box | QFrame::Plain);
  panel->setAutoFillBackground(true);
  panel->setBackgroundRole(QPalette::Base);
  panel->setFont(Bold(panel->font()));
  return panel;
}

TButtonFlat *StepButton(QWidget *parent, const char *name, const QString &hint, TGlyph glyph)
{
  auto *button = new TButtonFlat(parent);
  button->setObjectName(QLatin1String(name));
  button->setFixedSize(23, 21);
  button->SetHint(hint);
  button->setIcon(GlyphIcon(glyph));
  return button;
}

// The panel over a calendar page: back button, caption, forward button, centred.
QFrame *StepPanel(QWidget *page, const char *name, int height, TButtonFlat *back, QLabel *caption, TButtonFlat *forward)
{
  auto *panel = new QFrame(page);
  panel->setObjectName(QLatin1String(name));
  panel->setFixedHeight(height);
  panel->setFont(Bold(panel->font()));
  auto *row = new QHBoxLayout(panel);
  row->setContentsMargins(2, 0, 2, 0);
  row->setSpacing(2);
  row->addStretch();
  for (QWidget *w : std::initializer_list<QWidget *>{back, caption, forward}) {
    w->setParent(panel);
    row->addWidget(w);
  }
  row->addStretch();
  return panel;
}

TDBCalendar *Calendar(QWidget *parent, const QString &name, TDataSource *source, const QColor &marks, bool showCurrentDay)
{
  auto *calendar = new TDBCalendar(parent);
  calendar->setObjectName(name);
  calendar->SetDataSource(source);
  calendar->SetDataField(QStringLiteral("DTHRINIPROD"));
  calendar->SetHollidayColor(marks);
  calendar->SetShowCurrentDay(showCurrentDay);
  calendar->SetStartOfWeek(0);
  calendar->SetUseCurrentDate(false);
  calendar->SetDisplayFormat(TDBCalendar::dfDDD);
  calendar->SetMarkedText(QStringLiteral("com reservas"));
  calendar->SetMarkCountTexts(QStringLiteral("1 reserva inicia neste dia"), QStringLiteral("%1 reservas iniciam neste dia"));
  return calendar;
}
} // namespace

// --- building ------------------------------------------------------------------------------

void TfrmPlanilha::BuildMonthPage()
{
  sbtMesAnt = StepButton(tshMes, "sbtMesAnt", QStringLiteral("Mês Anterior"), TGlyph::Previous);
  panExibeMes = CaptionPanel(tshMes, "panExibeMes");
  sbtMesPost = StepButton(tshMes, "sbtMesPost", QStringLiteral("Próximo Mês"), TGlyph::Next);
  panMes = StepPanel(tshMes, "panMes", 26, sbtMesAnt, panExibeMes, sbtMesPost);
  dbcMes = Calendar(tshMes, QStringLiteral("dbcMes"), dtsReseGeral, QColor(47, 224, 37), true);
  QFont large = dbcMes->font();
  large.setPointSize(11);
  dbcMes->setFont(large);
  dbcMes->setAccessibleName(QStringLiteral("Calendário do mês")); // the month's caption once one is shown
  tshMes->layout()->addWidget(panMes);
  tshMes->layout()->addWidget(dbcMes);
}

void TfrmPlanilha::BuildYearPage()
{
  SpeedButton1 = StepButton(tshAno, "SpeedButton1", QStringLiteral("Ano Anterior"), TGlyph::Previous);
  panExibeAno = CaptionPanel(tshAno, "panExibeAno");
  SpeedButton2 = StepButton(tshAno, "SpeedButton2", QStringLiteral("Próximo Ano"), TGlyph::Next);
  Panel2 = StepPanel(tshAno, "Panel2", 22, SpeedButton1, panExibeAno, SpeedButton2);

  scbAno = new QScrollArea(tshAno);
  scbAno->setObjectName(QStringLiteral("scbAno"));
  scbAno->setFrameShape(QFrame::NoFrame);
  scbAno->setWidgetResizable(false);
  scbAno->setAccessibleName(QStringLiteral("Calendários do ano"));
  panAno = new QWidget;
  panAno->setObjectName(QStringLiteral("panAno"));
  panAno->setFixedSize(600, 414);
  QFont small = font();
  small.setPointSize(7);
  for (int i = 0; i < 12; ++i) {
    const TMonthCalendar &m = kYearCalendars[i];
    const int left = (i % 4) * 140, rowTop = (i / 4) * 125;
    QString name;
    NomeMes(m.month, name);
    auto *caption = new QLabel(name, panAno);
    caption->setObjectName(QStringLiteral("panCap") + QLatin1String(m.name + 3));
    caption->setGeometry(left - 1, 13 + rowTop, 137, 17);
    caption->setAlignment(Qt::AlignCenter);
    caption->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    caption->setAutoFillBackground(true);
    QPalette tip = caption->palette();
    tip.setColor(QPalette::Window, tip.color(QPalette::ToolTipBase));
    tip.setColor(QPalette::WindowText, Colours::InkOn(tip.color(QPalette::ToolTipBase), tip));
    caption->setPalette(tip);
    caption->setFont(Bold(caption->font()));
    TDBCalendar *calendar = Calendar(panAno, QLatin1String(m.name), dtsReseGeral, QColor(0, 255, 0), false);
    calendar->setFont(small);
    calendar->setGeometry(left, 31 + rowTop, 135, m.month == 1 ? 102 : 101);
    calendar->SetDateElement(2, m.month);
    calendar->setAccessibleName(name);
    dbcAno[size_t(i)] = calendar;
  }
  scbAno->setWidget(panAno);
  tshAno->layout()->addWidget(Panel2);
  tshAno->layout()->addWidget(scbAno);
}

void TfrmPlanilha::BindCalendarHandlers()
{
  connect(sbtMesAnt, &QToolButton::clicked, this, Handler([this] { sbtMesAntClick(); }));
  connect(sbtMesPost, &QToolButton::clicked, this, Handler([this] { sbtMesPostClick(); }));
  connect(SpeedButton1, &QToolButton::clicked, this, Handler([this] { SpeedButton1Click(); }));
  connect(SpeedButton2, &QToolButton::clicked, this, Handler([this] { SpeedButton2Click(); }));
  dbcMes->OnDblClick = [this](TDBCalendar &) { dbcMesDblClick(); };
  for (TDBCalendar *calendar : dbcAno)
    calendar->OnDblClick = [this](TDBCalendar &c) { dbcAnoDblClick(c); };
  cdsReseGeral->BeforeOpen = [this](TDataSet &) { cdsReseGeralBeforeOpen(); };
}

// --- entering the pages --------------------------------------------------------------------

void TfrmPlanilha::RequestCalendarData()
{
  CallIntoDataSet(*netPlanilha, *cdsReseGeral, QStringLiteral("GetReseGeral"), RequestValues());
}

void TfrmPlanilha::cdsReseGeralBeforeOpen() { RebuildStatusSelection(); }

// The navigation starts from the month or year shown, the period's first.
void TfrmPlanilha::EnterMonthPage()
{
  dbcMes->SetDateElement(1, m_anoIni);
  dbcMes->SetDateElement(2, m_mesIni);
  dbcMes->SetDateElement(3, m_diaIni);
  woAnoAtual = quint16(m_anoIni);
  woMesAtual = quint16(m_mesIni);
  woDiaAtual = quint16(m_diaIni);
  ShowMonthCaption(woMesAtual, woAnoAtual);
  RequestCalendarData();
}

void TfrmPlanilha::EnterYearPage()
{
  for (TDBCalendar *calendar : dbcAno)
    calendar->SetDateElement(1, m_anoIni);
  woAnoAtual = quint16(m_anoIni);
  woMesAtual = quint16(m_mesIni);
  woDiaAtual = quint16(m_diaIni);
  panExibeAno->setText(QString::number(m_anoIni));
  RequestCalendarData();
}

void TfrmPlanilha::ShowMonthCaption(quint16 mes, quint16 ano)
{
  QString name;
  NomeMes(mes, name);
  const QString caption =
      name + QLatin1Char(' ') + msgPadrao->Msg(QStringLiteral("de")) + QLatin1Char(' ') + QString::number(ano);
  panExibeMes->setText(caption);
  dbcMes->setAccessibleName(caption);
}

// --- month navigation ----------------------------------------------------------------------

void TfrmPlanilha::sbtMesAntClick()
{
  MoveMes(1);
  GerenciaMes(quint16(dbcMes->GetDateElement(2)));
}

void TfrmPlanilha::sbtMesPostClick()
{
  MoveMes(2);
  GerenciaMes(quint16(dbcMes->GetDateElement(2)));
}

void TfrmPlanilha::MoveMes(int direcao)
{
  // The bounds compare for equality: a navigation outside the years they bound moves on.
  if (direcao == 1) {
    if (!(woAnoAtual == kPrimeiroAno && woMesAtual <= 1))
      --woMesAtual;
  } else if (direcao == 2) {
    if (!(woAnoAtual == UltimoAnoNavegacao() && woMesAtual >= 12))
      ++woMesAtual;
  }
  if (woMesAtual < 1) {
    --woAnoAtual;
    woMesAtual = 12;
  } else if (woMesAtual > 12) {
    ++woAnoAtual;
    woMesAtual = 1;
  }
  ShowMonthCaption(woMesAtual, woAnoAtual);
  // The calendar keeps a 31st within a shorter month.
  dbcMes->SetDateElement(2, woMesAtual);
  dbcMes->SetDateElement(1, woAnoAtual);
  dbcMes->SetDateElement(3, woDiaAtual);
}

void TfrmPlanilha::GerenciaMes(quint16 mes)
{
  dbcMes->SetDateElement(2, mes);
  woMesAtual = mes;
}

// --- year navigation -----------------------------------------------------------------------

void TfrmPlanilha::SpeedButton1Click() { MoveAno(1); }

void TfrmPlanilha::SpeedButton2Click() { MoveAno(2); }

void TfrmPlanilha::MoveAno(int direcao)
{
  if (direcao == 1 && woAnoAtual > kPrimeiroAno)
    --woAnoAtual;
  else if (direcao == 2 && woAnoAtual < UltimoAnoNavegacao())
    ++woAnoAtual;
  panExibeAno->setText(QString::number(woAnoAtual));
  for (TDBCalendar *calendar : dbcAno)
    calendar->SetDateElement(1, woAnoAtual);
  for (TDBCalendar *calendar : dbcAno)
    calendar->SetShowCurrentDay(false);
}

// --- the day window ------------------------------------------------------------------------

void TfrmPlanilha::dbcMesDblClick() { OpenDayOf(*dbcMes); }

void TfrmPlanilha::dbcAnoDblClick(TDBCalendar &calendar) { OpenDayOf(calendar); }

void TfrmPlanilha::OpenDayOf(const TDBCalendar &calendar)
{
  const int dia = calendar.GetDateElement(3), mes = calendar.GetDateElement(2), ano = calendar.GetDateElement(1);
  const QDate day(ano, mes, dia);
  CriaReseDia(qryEquipamento->FieldByName(QStringLiteral("CDEQUIPPRO")).AsString(), zrt::toDateTime(day), m_dataHoraIni,
              m_dataHoraFin);
}
