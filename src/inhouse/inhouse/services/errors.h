#pragma once
// Errors of the library and the one guarded way to run event handlers: a handler aborted with
// EAbort ends quietly, any other exception reaches the general error report, and no exception
// ever crosses Qt's event loop.
#include <inhouse/export.h>

#include <QString>
#include <cstddef>
#include <exception>
#include <functional>
#include <stdexcept>
#include <tuple>
#include <type_traits>
#include <utility>

// Ends the running handler without any message.
class INHOUSE_EXPORT EAbort : public std::exception {
public:
    const char *what() const noexcept override;
};

// A text that does not convert to a date, a time or a number.
class INHOUSE_EXPORT EConvertError : public std::runtime_error {
public:
    explicit EConvertError(const QString &message);
    QString Message() const { return QString::fromUtf8(what()); }
};

[[noreturn]] INHOUSE_EXPORT void Abort();

// Shows `text` as an error through the prompt seam, then ends the running handler (EAbort).
// The flag is kept for callers written as MensErro(text, true); a handler that must go on after
// an error message uses ShowError instead, so MensErro always ends the handler.
[[noreturn]] INHOUSE_EXPORT void MensErro(const QString &text, bool abort = true);
INHOUSE_EXPORT void ShowError(const QString &text);

// Runs fn; swallows EAbort, passes every other exception to ReportException.
INHOUSE_EXPORT void Guarded(const std::function<void()> &fn);
// As Guarded, and tells whether fn ran to its end (false when aborted or failed).
INHOUSE_EXPORT bool TryGuarded(const std::function<void()> &fn);

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
        [&]<std::size_t... I>(std::index_sequence<I...>) {
            f(std::get<I>(args)...);
        }(std::make_index_sequence<N>{});
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
