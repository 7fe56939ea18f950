// The shared-cabinet editor's preview: the cabinet in an oblique projection with the outlets of
// the drivers that sit in it, as plain geometry, and the widget that paints it.
#pragma once

#include <QWidget>
#include <vector>

#include "acoustics/shared_cabinet.h"
#include "model/records.h"

namespace sonora::ui {

// A projected point in metres: x to the right, y upwards on the drawing.
struct PreviewPoint {
    double x = 0;
    double y = 0;
};

// The front face is drawn undistorted; depth (-stra) goes up and to the right at
// kPreviewDepthAngle, shortened by kPreviewDepthScale (a cabinet projection). So the front, the
// right and the top face are seen, the back, left and bottom faces are hidden.
inline constexpr double kPreviewDepthScale = 0.5;
inline constexpr double kPreviewDepthAngle = 0.5235987755982988; // rad, 30°
PreviewPoint projectRoomPosition(const RoomPosition& p);

struct PreviewEdge {
    PreviewPoint from, to;
    bool hidden = false; // behind the cabinet: drawn dashed
};

// One outlet: its circle on the face, projected (a circle on the front and back faces, a
// foreshortened ellipse on the others).
struct PreviewOutlet {
    int driver = 0;      // slot from 0
    bool rear = false;   // the rear sound's outlet (vent)
    bool hidden = false; // on a face that is not seen
    CabinetFace face = CabinetFace::Front;
    PreviewPoint centre;
    std::vector<PreviewPoint> outline; // closed polygon, first point not repeated
};

struct CabinetPreview {
    std::vector<PreviewEdge> edges; // the 12 cabinet edges and the front bevels' inner lines
    std::vector<PreviewOutlet> outlets;
};

// The drawing of a project whose baffles have just been derived from the shared cabinet (so
// after applySharedCabinetDialog on a scratch copy): every driver below nChassis with usegemgeh
// set gets its outlet (diameter swd), and a vented one (enclosure typ 2 or 4) its rear outlet
// (diameter swdr) as well.
CabinetPreview cabinetPreview(const TProjekt& p);

// Paints a CabinetPreview scaled into the widget.
class CabinetPreviewWidget : public QWidget {
    Q_OBJECT
public:
    explicit CabinetPreviewWidget(QWidget* parent = nullptr);
    void setPreview(CabinetPreview preview);
    const CabinetPreview& preview() const { return preview_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CabinetPreview preview_;
};

} // namespace sonora::ui
