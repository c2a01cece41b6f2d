#include "zrt/host/helpviewer.h"

#include <inhouse/services/application.h>

#include <QFile>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <memory>

static void initHelpResources()
{
  // The help file lives in a static library's resources, which need an explicit start.
  Q_INIT_RESOURCE(help);
}

namespace zrt::host {

QMap<int, HelpTopic> parseHelpTopics(const QString &html)
{
  QMap<int, HelpTopic> topics;
  static const QRegularExpression section(QString::fromLatin1(R"re(<section\s+id="ctx-(\d+)"\s*>(.*?)</section>)re"),
                                          QRegularExpression::DotMatchesEverythingOption |
                                              QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression heading(QString::fromLatin1(R"(<h2[^>]*>(.*?)</h2>)"),
                                          QRegularExpression::DotMatchesEverythingOption |
                                              QRegularExpression::CaseInsensitiveOption);
  for (auto it = section.globalMatch(html); it.hasNext();) {
    const auto m = it.next();
    HelpTopic topic;
    topic.html = m.captured(2);
    const auto h = heading.match(topic.html);
    if (h.hasMatch())
      topic.title = h.captured(1).remove(QRegularExpression(QStringLiteral("<[^>]*>"))).simplified();
    topics.insert(m.captured(1).toInt(), topic);
  }
  return topics;
}

QString HelpViewer::shippedHelpFile() { return QStringLiteral(":/zrt/help/zrt02600.html"); }

HelpViewer::HelpViewer(QWidget *parent, const QString &helpFile) : QWidget(parent, Qt::Window)
{
  initHelpResources();
  setObjectName(QStringLiteral("HelpViewer"));
  setWindowTitle(QStringLiteral("Ajuda - ZRT - Produção"));
  setAttribute(Qt::WA_DeleteOnClose, false);
  resize(640, 520);
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  m_browser = new QTextBrowser(this);
  m_browser->setOpenLinks(true);
  m_browser->setOpenExternalLinks(false);
  layout->addWidget(m_browser);
  // Links between topics are written href="#ctx-N".
  connect(m_browser, &QTextBrowser::anchorClicked, this, [this](const QUrl &url) {
    static const QRegularExpression ctx(QStringLiteral("^ctx-(\\d+)$"));
    const auto m = ctx.match(url.fragment());
    if (m.hasMatch())
      showContext(m.captured(1).toInt());
  });
  m_browser->setOpenLinks(false);

  const QString path = helpFile.isEmpty() ? shippedHelpFile() : helpFile;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    m_loadError = QStringLiteral("Arquivo de ajuda não encontrado: %1").arg(path);
    return;
  }
  const QString html = QString::fromUtf8(file.readAll());
  static const QRegularExpression style(QStringLiteral("<style[^>]*>.*?</style>"),
                                        QRegularExpression::DotMatchesEverythingOption);
  m_style = style.match(html).captured(0);
  m_topics = parseHelpTopics(html);
}

QString HelpViewer::pageFor(int context) const
{
  QString body;
  if (!m_loadError.isEmpty())
    body = QStringLiteral("<p>%1</p>").arg(m_loadError.toHtmlEscaped());
  else if (const auto it = m_topics.constFind(context); it != m_topics.constEnd())
    body = it->html;
  else
    body = QStringLiteral("<p>Tópico de ajuda %1 não encontrado.</p>").arg(context);
  // A short index under every topic, so the other topics are one click away.
  QString index;
  for (auto it = m_topics.constBegin(); it != m_topics.constEnd(); ++it)
    if (it.key() != context)
      index += QStringLiteral("<li><a href=\"#ctx-%1\">%2</a></li>").arg(it.key()).arg(it->title.toHtmlEscaped());
  if (!index.isEmpty())
    body += QStringLiteral("<hr/><p><b>Outros tópicos</b></p><ul>%1</ul>").arg(index);
  return QStringLiteral("<html><head><meta charset=\"utf-8\"/>%1</head><body>%2</body></html>").arg(m_style, body);
}

void HelpViewer::showContext(int context)
{
  m_current = context;
  m_browser->setHtml(pageFor(context));
  const auto it = m_topics.constFind(context);
  setWindowTitle(it != m_topics.constEnd() && !it->title.isEmpty() ? QStringLiteral("Ajuda - %1").arg(it->title)
                                                                   : QStringLiteral("Ajuda - ZRT - Produção"));
  show();
  raise();
  activateWindow();
}

QString HelpViewer::currentText() const { return m_browser->toPlainText(); }

void installHelpViewer(QWidget *mainWindow)
{
  QPointer<QWidget> owner(mainWindow);
  auto viewer = std::make_shared<QPointer<HelpViewer>>();
  SetHelpViewer([owner, viewer](int context) {
    if (!*viewer)
      *viewer = new HelpViewer(owner.data());
    (*viewer)->showContext(context);
  });
}

} // namespace zrt::host
