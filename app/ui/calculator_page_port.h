// The calculator page "Bassreflexkanal": the tuning of a vented box from the inner sizes of the
// box and the port, with the pictures of the dimensions.
#pragma once

#include <QWidget>

#include "acoustics/box_calc_port.h"
#include "app/ui/calculator_page_support.h"

class QAbstractButton;
class QFormLayout;

namespace sonora::ui {

class PortPicture;

class PortPage : public QWidget {
    Q_OBJECT
public:
    explicit PortPage(QWidget* parent = nullptr);

    PortInput input() const { return readPageInput(portFields(), entries_); }
    const PageEntries& entries() const { return entries_; }
    ResultMemo* result() const { return result_; }
    PortPicture* picture() const { return picture_; }
    // The radio buttons "explizit", "über BxHxT", "rechteckig", "rund".
    QAbstractButton* explicitVolume() const { return explicit_; }
    QAbstractButton* volumeBySizes() const { return bySizes_; }
    QAbstractButton* rectangular() const { return rectangular_; }
    QAbstractButton* circular() const { return circular_; }

private:
    void recalculate();

    PageEntries entries_;
    bool building_ = true;
    QFormLayout* volumeForm_ = nullptr;
    QFormLayout* portForm_ = nullptr;
    QAbstractButton* explicit_ = nullptr;
    QAbstractButton* bySizes_ = nullptr;
    QAbstractButton* rectangular_ = nullptr;
    QAbstractButton* circular_ = nullptr;
    ResultMemo* result_ = nullptr;
    PortPicture* picture_ = nullptr;
};

} // namespace sonora::ui
