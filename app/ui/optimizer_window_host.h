// The optimizer thread's blocking calls carried to the GUI thread: each call waits until the
// window's model has answered it there.
#pragma once

#include <QObject>
#include <atomic>

#include "optimizer/opti_host.h"

namespace sonora::ui {

class OptiHostBridge : public QObject, public OptiHost {
    Q_OBJECT
public:
    // `target` answers on the thread this object lives on; it must outlive every call.
    explicit OptiHostBridge(OptiHost& target, QObject* parent = nullptr);

    // From now on calls return at once without reaching the target (shut-down): the rating
    // parameters are the last ones read, a part keeps its value.
    void detach() { detached_ = true; }
    bool detached() const { return detached_.load(); }

    TBewertungsparameter HoleAlleBewPara() override;
    void UpdatePercentage(int pbtag) override;
    void Noten2Memo(const TBewertungen& grades, const TResult& res) override;
    void Choosefixpart(TPart& fixpart) override;
    void ShowOptimizeReady() override;

signals:
    void answered(); // a call was answered on the GUI thread: refresh what the window shows

private:
    template <typename F> void onGuiThread(F work);

    OptiHost& target_;
    std::atomic<bool> detached_{false};
    TBewertungsparameter lastParameters_{}; // written on the GUI thread, read after the call
};

} // namespace sonora::ui
