#include <inhouse/services/application.h>
#include <inhouse/services/waitanimation.h>

#include <QEvent>
#include <QPainter>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace {
// A small panel in the middle of the main window: "Aguarde..." and a turning arc.
class WaitOverlay : public QWidget {
public:
  WaitOverlay(QWidget *parent, int kind) : QWidget(parent), kind_(kind)
  {
    setObjectName(QStringLiteral("aniAguarde"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    resize(180, 64);
    parent->installEventFilter(this); // stays centred when the main window is resized
    timer_.setInterval(60);
    QObject::connect(&timer_, &QTimer::timeout, this, [this] {
      step_ = (step_ + 1) % 12;
      update();
    });
  }
  void Start()
  {
    Place();
    show();
    raise();
    timer_.start();
  }
  void Place()
  {
    if (QWidget *p = parentWidget())
      move((p->width() - width()) / 2, (p->height() - height()) / 2);
  }
  int Step() const { return step_; }
  int Kind() const { return kind_; }

protected:
  bool eventFilter(QObject *watched, QEvent *event) override
  {
    if (watched == parentWidget() && event->type() == QEvent::Resize)
      Place();
    return false;
  }
  void paintEvent(QPaintEvent *) override
  {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(palette().color(QPalette::Mid), 1));
    p.setBrush(palette().color(QPalette::ToolTipBase));
    p.drawRoundedRect(rect().adjusted(0, 0, -1, -1), 6, 6);
    p.setPen(QPen(palette().color(QPalette::Highlight), 4, Qt::SolidLine, Qt::RoundCap));
    const QRect arc(14, 16, 32, 32);
    p.drawArc(arc, -step_ * 30 * 16, 270 * 16);
    p.setPen(palette().color(QPalette::ToolTipText));
    p.drawText(rect().adjusted(56, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Aguarde..."));
  }

private:
  QTimer timer_;
  int kind_;
  int step_ = 0;
};

int g_depth = 0;
QPointer<WaitOverlay> g_overlay;
} // namespace

void ActiveShowAvi(QWidget *mainForm, int kind)
{
  ++g_depth;
  if (g_depth > 1 && g_overlay)
    return;
  QWidget *host = mainForm ? mainForm : MainForm();
  if (!host)
    return; // counted all the same, so the paired Deactive stays balanced
  g_overlay = new WaitOverlay(host, kind);
  g_overlay->Start();
}

void DeactiveShowAvi()
{
  if (g_depth == 0)
    return;
  if (--g_depth > 0)
    return;
  if (g_overlay) {
    g_overlay->hide();
    g_overlay->deleteLater();
    g_overlay = nullptr;
  }
}

int ShowAviDepth() { return g_depth; }

QWidget *ShowAviWidget() { return g_overlay.data(); }

WaitAnimation::WaitAnimation(QWidget *mainForm, int kind) { ActiveShowAvi(mainForm, kind); }

WaitAnimation::~WaitAnimation() { DeactiveShowAvi(); }
