// Reports a fault while a directivity view paints: "Fehler bei PaintChart", once per run of
// failing paints, and never from inside the paint itself (a message box there would repaint the
// view and fail again).
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <string>

namespace sonora::ui {

inline constexpr const char* kPaintFaultMessage = "Fehler bei PaintChart";

class PaintFaultReporter {
public:
    using Handler = std::function<void(const std::string&)>;

    void setHandler(Handler handler) { handler_ = std::move(handler); }

    // A paint failed: the message goes out after the paint, unless it has already been shown for
    // this run of failures.
    void failed(QObject* context) {
        ++faults_;
        if (shown_) {
            return;
        }
        shown_ = true;
        QTimer::singleShot(0, context, [this] {
            if (handler_) {
                handler_(kPaintFaultMessage);
            }
        });
    }
    // A paint succeeded: the next fault is reported again.
    void succeeded() { shown_ = false; }

    int faults() const { return faults_; }

private:
    Handler handler_;
    bool shown_ = false;
    int faults_ = 0;
};

} // namespace sonora::ui
