#include <inhouse/errors.h>

#include <QLoggingCategory>

#include <new>

namespace {
Q_LOGGING_CATEGORY(lcError, "zrt.inhouse.error", QtInfoMsg)

using Reporter = std::function<void(const QString &)>;

// Function-local so the widget library may install its sink while it is being loaded.
Reporter &InstalledReporter()
{
  static Reporter reporter;
  return reporter;
}

Reporter &DefaultReporter()
{
  static Reporter reporter;
  return reporter;
}

// No one installed a reporter, so no one showed the error: the log is all there is.
void WriteToLog(const QString &text) { qCCritical(lcError).noquote() << text; }
} // namespace

EInhouseError::EInhouseError(const QString &message) : std::runtime_error(message.toStdString()) {}

EAbort::EAbort() : EInhouseError(QStringLiteral("Operação abortada")) {}

void Abort() { throw EAbort(); }

QString ExceptionMessage(std::exception_ptr error)
{
  if (!error)
    return {};
  try {
    std::rethrow_exception(error);
  } catch (const EInhouseError &e) {
    return e.Message();
  } catch (const std::bad_alloc &) {
    return QStringLiteral("Memória insuficiente.");
  } catch (const std::exception &e) {
    const QString text = QString::fromUtf8(e.what());
    return text.isEmpty() ? QStringLiteral("Erro desconhecido.") : text;
  } catch (...) {
    return QStringLiteral("Erro desconhecido.");
  }
}

void SetErrorReporter(std::function<void(const QString &)> reporter) { InstalledReporter() = std::move(reporter); }

void SetDefaultErrorReporter(std::function<void(const QString &)> reporter) { DefaultReporter() = std::move(reporter); }

void ReportException(std::exception_ptr error)
{
  if (!error)
    return;
  try {
    std::rethrow_exception(error);
  } catch (const EAbort &) {
    return; // silent by definition
  } catch (...) {
  }
  const QString text = ExceptionMessage(error);
  if (const Reporter &reporter = InstalledReporter())
    reporter(text);
  else if (const Reporter &fallback = DefaultReporter())
    fallback(text);
  else
    WriteToLog(text);
}

bool TryGuarded(const std::function<void()> &fn)
{
  try {
    if (fn)
      fn();
    return true;
  } catch (const EAbort &) {
    return false;
  } catch (...) {
    // The report itself must not throw back into the event loop either.
    try {
      ReportException(std::current_exception());
    } catch (...) {
    }
    return false;
  }
}

void Guarded(const std::function<void()> &fn) { TryGuarded(fn); }
