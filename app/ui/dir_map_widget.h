// The directivity map of the tab "Richtungsplots": paints the colour bands, the legend, the
// title and note, the angle axis and the frequency ticks that the core computes for the current
// data set, and the remembered data set of the reference project as a second map below it.
#pragma once

#include <QImage>
#include <QRect>
#include <QStringList>
#include <QWidget>
#include <memory>

#include "app/ui/directivity_fault.h"

// The core's types stay out of this header: the window's chart headers declare names of their own
// that clash with the directivity headers of the core.
namespace sonora {
class TDirPlot;
struct DirViewOptions;
struct DirMapPicture;
} // namespace sonora

namespace sonora::ui {

class DirMapWidget : public QWidget {
    Q_OBJECT
public:
    // `plot` holds the data sets; it must outlive the widget.
    explicit DirMapWidget(TDirPlot& plot, QWidget* parent = nullptr);
    ~DirMapWidget() override;

    // The view options of the tab; every change repaints.
    void setOptions(const DirViewOptions& options);
    const DirViewOptions& options() const { return *options_; }

    // The plot's remembered data set changed (Copy2Merk or ClearMerk): take it for the second map.
    void referenceChanged();
    bool showsReference() const;

    // What the last paint drew: the current map's picture and its plot area in widget pixels
    // (columns left … right − 1, rows top … bottom), and the reference map's.
    const DirMapPicture& picture() const { return *picture_; }
    const DirMapPicture& referencePicture() const { return *referencePicture_; }
    QRect plotArea() const { return plotArea_; }
    QRect referencePlotArea() const { return referencePlotArea_; }
    QStringList legendLabels() const; // top to bottom: the loudest band first
    QString title() const;            // of the current map, with its note after a line break
    int angleMin() const;             // degrees of the bottom row
    int angleMax() const;             // degrees of the top row
    int bandRectangles() const;       // filled rectangles of the current map
    int referenceBandRectangles() const;
    int paintCount() const { return paints_; }

    // Paint faults go to `handler` (the window shows the message).
    void setFaultHandler(PaintFaultReporter::Handler handler);
    int faultCount() const { return faults_.faults(); }

    // The map as a picture of the widget's size or of `size`, without a window.
    QImage renderImage();
    QImage renderImage(const QSize& size);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paint(QPainter& p, const QSize& size);
    void paintMaps(QPainter& p);
    QRect paintOneMap(QPainter& p, TDirPlot& plot, const QRect& block, bool reference,
                      DirMapPicture& picture);
    void paintLegend(QPainter& p, const DirMapPicture& picture, int left, int top, int height);

    TDirPlot& plot_;
    std::unique_ptr<TDirPlot> reference_; // a working copy of the remembered data set
    std::unique_ptr<DirViewOptions> options_;
    std::unique_ptr<DirMapPicture> picture_;
    std::unique_ptr<DirMapPicture> referencePicture_;
    QRect plotArea_;
    QRect referencePlotArea_;
    QSize canvas_; // pixels of the picture being painted
    int paints_ = 0;
    PaintFaultReporter faults_;
};

} // namespace sonora::ui
