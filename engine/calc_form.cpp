#include "engine/calc_form.h"

#include <cstring>

#include "model/large_block.h"
#include "storage/latin1.h"
#include "storage/numbers.h"

namespace sonora {

namespace {
constexpr int kProgressDigits = 4;
constexpr double kPercent = 100.0;
} // namespace

const char* const kMsgCalcOk = "Berechnung war erfolgreich.";
const char* const kMsgCalcFailed = "Berechnung fehlerhaft. Klick hier f\xfcr Fehlerliste";

std::string progressText(int ready, int all) {
    const double percent = all > 0 ? kPercent * ready / all : 0.0;
    return utf8ToLatin1("Berechnung läuft: ") + compactNumberText(kProgressDigits, percent) + "%";
}

TFormRechnen::TFormRechnen(ResultCopy copy) {
    if (copy == ResultCopy::Kept) {
        result = makeZeroedLarge<TResult>();
    }
}

void TFormRechnen::CalcNew(const TProjekt& p) {
    if (calc_ == nullptr) {
        return;
    }
    if (result) {
        result->valid = false;
    }
    calc_->requestCalcNew(p, whileWaiting);
}

void TFormRechnen::CalcAllNew(const TProjekt& p) {
    if (calc_ == nullptr) {
        return;
    }
    if (result) {
        result->valid = false;
    }
    calc_->requestCalcAllNew(p, whileWaiting);
}

void TFormRechnen::ErrOutput(std::string_view text) {
    if (text == kStatusOk) {
        return;
    }
    ErrMemo.emplace_back(text);
    ++errCount;
}

void TFormRechnen::showProgress(const TCalcThread& calc) {
    const int all = calc.percent_all;
    if (all <= 0) {
        return;
    }
    statusFace = StatusFace::Running;
    statusText = progressText(calc.percent_ready, all);
}

void TFormRechnen::showFinalMessage(const TCalcThread& calc) {
    errCount = 0;
    ErrMemo.clear();
    const TCalcStruct& cs = calc.CalcStruct;
    const TProjekt& p = *calc.aktProjekt;
    ErrOutput(cs.bChassiskontrolle.view());
    for (int i = 0; i < p.nAmps && i < kMaxAmps; ++i) {
        ErrOutput(cs.bfgang_akt[i].view());
        ErrOutput(cs.bfgang_weiche[i].view());
    }
    for (int i = 0; i < p.nChassis && i < kMaxChassis; ++i) {
        ErrOutput(cs.bfgang_sw[i].view());
        ErrOutput(cs.bfgang_ch[i].view());
    }
    ErrOutput(cs.bfgang_box.view());
    if (errCount == 0) {
        statusFace = StatusFace::Normal;
        statusText = kMsgCalcOk;
        ErrMemo.emplace_back(kMsgCalcOk);
    } else {
        statusFace = StatusFace::Failed;
        statusText = kMsgCalcFailed;
    }
}

void TFormRechnen::resultsBack(const TCalcThread& calc) {
    if (result) {
        copyResult(*result, *calc.Res);
        result->valid = errCount == 0;
    }
    if (onResults) {
        onResults();
    }
}

} // namespace sonora
