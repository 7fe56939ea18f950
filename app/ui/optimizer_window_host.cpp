#include "app/ui/optimizer_window_host.h"

#include <QThread>

namespace sonora::ui {

OptiHostBridge::OptiHostBridge(OptiHost& target, QObject* parent)
    : QObject(parent), target_(target) {}

template <typename F> void OptiHostBridge::onGuiThread(F work) {
    // Checked again on the GUI thread: a call queued before detach() must not reach a window that
    // is being taken down.
    auto guarded = [this, &work] {
        if (!detached_) {
            work();
            emit answered();
        }
    };
    if (QThread::currentThread() == thread()) {
        guarded(); // never block on our own thread
        return;
    }
    if (detached_) {
        return;
    }
    QMetaObject::invokeMethod(this, guarded, Qt::BlockingQueuedConnection);
}

TBewertungsparameter OptiHostBridge::HoleAlleBewPara() {
    onGuiThread([this] { lastParameters_ = target_.HoleAlleBewPara(); });
    return lastParameters_;
}

void OptiHostBridge::UpdatePercentage(int pbtag) {
    onGuiThread([this, pbtag] { target_.UpdatePercentage(pbtag); });
}

void OptiHostBridge::Noten2Memo(const TBewertungen& grades, const TResult& res) {
    onGuiThread([&] { target_.Noten2Memo(grades, res); });
}

void OptiHostBridge::Choosefixpart(TPart& fixpart) {
    onGuiThread([&] { target_.Choosefixpart(fixpart); });
}

void OptiHostBridge::ShowOptimizeReady() {
    onGuiThread([this] { target_.ShowOptimizeReady(); });
}

} // namespace sonora::ui
