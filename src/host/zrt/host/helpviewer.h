#pragma once
// The help system: one HTML file shipped in the program's resources, one section per help
// context number, shown in a non-modal window.
#include <QMap>
#include <QPointer>
#include <QString>
#include <QWidget>

class QTextBrowser;

namespace zrt::host {

// Sections of a help file: <section id="ctx-N"><h2>title</h2>...</section>.
struct HelpTopic {
  QString title;
  QString html;
};
QMap<int, HelpTopic> parseHelpTopics(const QString &html);

class HelpViewer : public QWidget {
  Q_OBJECT
public:
  // helpFile: a resource or file path; the shipped file by default.
  explicit HelpViewer(QWidget *parent = nullptr, const QString &helpFile = QString());

  // Shows the topic of a help context (or says it does not exist), raises the window.
  void showContext(int context);
  int currentContext() const { return m_current; }
  QString currentText() const; // plain text shown, for checks
  QTextBrowser *browser() const { return m_browser; }
  bool hasTopic(int context) const { return m_topics.contains(context); }
  QString loadError() const { return m_loadError; }

  static QString shippedHelpFile();

private:
  QString pageFor(int context) const;

  QTextBrowser *m_browser = nullptr;
  QMap<int, HelpTopic> m_topics;
  QString m_style;
  QString m_loadError;
  int m_current = -1;
};

// Installs SetHelpViewer: help requests open (once) and reuse a viewer over the main form.
void installHelpViewer(QWidget *mainWindow);

} // namespace zrt::host
