#pragma once

#include "platform/db/DbError.h"
#include "shell/Module1.h"

#include <QObject>

#include <exception>
#include <functional>
#include <type_traits>

// How an error that escaped is shown: the two-line error box (handlers; with the
// critical icon, or without an icon where a window's reports have none), or the short
// report "{number} {description}" through ShowInfo (a window's loading, activation and
// resizing, and the making of a window), the same without the space (the void report's
// buttons), or the description alone through ShowInfo (a look-up whose failure reads as
// a notice).
enum class ErrorReport { ErrorBox, ErrorBoxWithoutIcon, ShortText, ShortTextWithoutSpace, DescriptionOnly };

// Runs a handler; a database error it does not handle itself is reported and the
// program goes on. Any other exception is reported the same way: nothing a handler
// throws may travel through Qt's event dispatch, which would end the program.
template <typename Handler>
void runReportingErrors(Handler &&handler, ErrorReport report = ErrorReport::ErrorBox)
{
    auto show = [report](const db::DbError &error) {
        if (report == ErrorReport::ShortText)
            ShowInfo(errorReportText(error));
        else if (report == ErrorReport::ShortTextWithoutSpace)
            ShowInfo(errorReportTextWithoutSpace(error));
        else if (report == ErrorReport::DescriptionOnly)
            ShowInfo(error.description());
        else
            ShowErrorBox(error.number(), error.description(),
                         report == ErrorReport::ErrorBox ? MessageBoxes::Icon::Critical : MessageBoxes::Icon::None,
                         QString());
    };
    try {
        std::invoke(std::forward<Handler>(handler));
    } catch (const db::DbError &error) {
        show(error);
    } catch (const std::exception &error) {
        show(db::DbError(QString::fromLocal8Bit(error.what())));
    }
}

// Connects a control's signal to a window's handler (a member function) through
// runReportingErrors. The handler takes the signal's arguments, or fewer of them.
template <typename Sender, typename Signal, typename Window, typename Handler>
QMetaObject::Connection connectHandler(Sender *sender, Signal signal, Window *window, Handler handler,
                                       ErrorReport report = ErrorReport::ErrorBox)
{
    return QObject::connect(sender, signal, window, [window, handler, report](auto &&...arguments)
        requires std::is_invocable_v<Handler, Window *, decltype(arguments)...>
    {
        runReportingErrors([&] { std::invoke(handler, window, std::forward<decltype(arguments)>(arguments)...); },
                           report);
    });
}
