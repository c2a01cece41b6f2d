#include <inhouse/services/application.h>
#include <inhouse/services/errors.h>
#include <inhouse/services/prompts.h>

const char *EAbort::what() const noexcept
{
    return "Operação abortada";
}

EConvertError::EConvertError(const QString &message)
    : std::runtime_error(message.toStdString())
{
}

void Abort()
{
    throw EAbort();
}

void ShowError(const QString &text)
{
    Prompts().Show(text, mtError);
}

void MensErro(const QString &text, bool /*abort*/)
{
    ShowError(text);
    throw EAbort();
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

void Guarded(const std::function<void()> &fn)
{
    TryGuarded(fn);
}
