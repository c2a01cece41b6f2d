#pragma once
// Reading back what the program printed: a report printed into a PDF file, then the file's page
// count, a page's text and a page's picture as poppler's command-line tools see them (their
// paths come from the build: PDFINFO_PATH, PDFTOTEXT_PATH, PDFTOPPM_PATH).
#include <inhouse/ui/report.h>

#include <QFile>
#include <QImage>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QString>

namespace pdftext {
inline bool ToolsFound()
{
  return QFile::exists(QStringLiteral(PDFINFO_PATH)) && QFile::exists(QStringLiteral(PDFTOTEXT_PATH)) &&
         QFile::exists(QStringLiteral(PDFTOPPM_PATH));
}

inline QString Run(const QString &program, const QStringList &args)
{
  QProcess p;
  p.start(program, args);
  if (!p.waitForFinished(30000) || p.exitCode() != 0)
    return {};
  return QString::fromUtf8(p.readAllStandardOutput());
}

// Prints the report into `path` on an A4 page of the orientation given.
inline void Print(const TReport &report, const QString &path, QPageLayout::Orientation orientation = QPageLayout::Portrait)
{
  QPrinter printer(QPrinter::ScreenResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(path);
  printer.setPageSize(QPageSize(QPageSize::A4));
  printer.setPageOrientation(orientation);
  report.Print(printer);
}

// -1 when the file cannot be read.
inline int PageCount(const QString &path)
{
  const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption)
                                        .match(Run(QStringLiteral(PDFINFO_PATH), {path}));
  return m.hasMatch() ? m.captured(1).toInt() : -1;
}

inline QString PageText(const QString &path, int page)
{
  const QString n = QString::number(page);
  return Run(QStringLiteral(PDFTOTEXT_PATH),
             {QStringLiteral("-layout"), QStringLiteral("-f"), n, QStringLiteral("-l"), n, path, QStringLiteral("-")});
}
// The page rendered at `dpi` (a null image when it cannot be).
inline QImage PageImage(const QString &path, int page, int dpi)
{
  const QString n = QString::number(page);
  const QString prefix = path + QStringLiteral("-page");
  Run(QStringLiteral(PDFTOPPM_PATH), {QStringLiteral("-png"), QStringLiteral("-singlefile"), QStringLiteral("-r"),
                                      QString::number(dpi), QStringLiteral("-f"), n, QStringLiteral("-l"), n, path, prefix});
  return QImage(prefix + QStringLiteral(".png"));
}
} // namespace pdftext
