#pragma once
// The library's exceptions and the one guarded way to run event handlers: a handler aborted
// with EAbort ends quietly, any other exception goes to the general error report, and no
// exception ever crosses Qt's event loop. Core code (data sets, data sources) uses the same
// guard as the widgets; the report itself is installed by the widget layer or the host.
#include <inhouse/inhouse_core_export.h>

#include <QString>
#include <cstddef>
#include <exception>
#include <functional>
#include <stdexcept>
#include <tuple>
#include <type_traits>
#include <utility>

// Base of every exception the library throws; its text is fit to show the user.
class INHOUSE_CORE_EXPORT EInhouseError : public std::runtime_error {
public:
  explicit EInhouseError(const QString &message);
  QString Message() const { return QString::fromUtf8(what()); }
};

// Ends the running handler without any message.
class INHOUSE_CORE_EXPORT EAbort : public EInhouseError {
public:
  EAbort();
};

// A text that does not convert to a date, a time or a number.
class INHOUSE_CORE_EXPORT EConvertError : public EInhouseError {
public:
  using EInhouseError::EInhouseError;
};

[[noreturn]] INHOUSE_CORE_EXPORT void Abort();

// The text a user sees for an exception: the library's message, what() of a standard
// exception, "Erro desconhecido." for anything else. Without an argument, the exception being
// handled (call it inside a catch block).
INHOUSE_CORE_EXPORT QString ExceptionMessage(std::exception_ptr error = std::current_exception());

// The general error report. Until one is set, reports go to the default sink: stderr, or what
// the widget layer installs there (an error box).
INHOUSE_CORE_EXPORT void SetErrorReporter(std::function<void(const QString &)> reporter);
INHOUSE_CORE_EXPORT void SetDefaultErrorReporter(std::function<void(const QString &)> reporter);
// Reports an exception through the reporter; EAbort is silent, an empty pointer does nothing.
INHOUSE_CORE_EXPORT void ReportException(std::exception_ptr error);

// Runs fn; swallows EAbort, passes every other exception to ReportException.
INHOUSE_CORE_EXPORT void Guarded(const std::function<void()> &fn);
// As Guarded, and tells whether fn ran to its end (false when aborted or failed).
INHOUSE_CORE_EXPORT bool TryGuarded(const std::function<void()> &fn);

namespace inhouse_detail {
template <class F, class Tuple, std::size_t... I>
constexpr bool InvocableWithFirst(std::index_sequence<I...>)
{
  return std::is_invocable_v<F &, std::tuple_element_t<I, Tuple>...>;
}

// Calls f with the longest leading part of the signal's arguments that it accepts, so a
// handler taking no arguments can be bound to clicked(bool).
template <std::size_t N, class F, class Tuple>
void CallWithFirst(F &f, Tuple &args)
{
  if constexpr (InvocableWithFirst<F, Tuple>(std::make_index_sequence<N>{})) {
    [&]<std::size_t... I>(std::index_sequence<I...>) { f(std::get<I>(args)...); }
    (std::make_index_sequence<N>{});
  } else {
    static_assert(N > 0, "the handler cannot take the signal's arguments");
    CallWithFirst<N - 1>(f, args);
  }
}
} // namespace inhouse_detail

// A callable for QObject::connect that runs f through Guarded:
//   connect(button, &QToolButton::clicked, this, Handler([this] { sbtIncluirClick(); }));
template <class F>
auto Handler(F f)
{
  return [f = std::move(f)](auto &&...args) mutable -> void {
    Guarded([&] {
      auto tuple = std::forward_as_tuple(std::forward<decltype(args)>(args)...);
      inhouse_detail::CallWithFirst<sizeof...(args)>(f, tuple);
    });
  };
}
