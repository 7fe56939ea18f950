// The shared outer cabinet: a driver's baffle and outlet positions derived from the face it sits
// on, and the way back from stored positions to the rear outlet's a and c.
#pragma once

#include "model/records.h"

namespace sonora {

// The faces of the cabinet, numbered as TSchallwand::direction counts them.
enum class CabinetFace { Front = 0, Back = 1, Left = 2, Right = 3, Top = 4, Bottom = 5 };
inline constexpr int kCabinetFaces = 6;

// TSchallwand::directionr: the rear sound leaves on the driver's face or on the opposite one.
inline constexpr int kRearSameSide = 0;
inline constexpr int kRearOppositeSide = 1;

// A face out of a stored direction; values outside 0..5 count as the front.
CabinetFace cabinetFaceOf(int direction);
// Front <-> back, left <-> right, top <-> bottom.
CabinetFace oppositeFace(CabinetFace face);
// The face the rear outlet lies on for a driver face and a directionr value (1 = opposite, any
// other value = the same face).
CabinetFace rearOutletFace(CabinetFace driverFace, int directionr);

// A point in the room coordinates of the box summation, m: origin at the centre of the front
// face, `hor` to the right, `vert` upwards, `stra` forwards (0 on the front plane, negative
// behind it).
struct RoomPosition {
    double hor = 0;
    double vert = 0;
    double stra = 0;
};

// Position of a point a above the lower edge and c right of the left edge of a face, both as
// seen from outside that face, m.
RoomPosition facePointPosition(const TGemGeh& cabinet, CabinetFace face, double a, double c);

// a and c of a room position on a face: the inverse of facePointPosition (the coordinate that is
// fixed on the face is ignored).
struct FacePoint {
    double a = 0;
    double c = 0;
};
FacePoint facePointOf(const TGemGeh& cabinet, CabinetFace face, const RoomPosition& p);

// One driver's entries in the shared-cabinet dialog, in metres (the dialog shows cm).
struct SharedCabinetEntry {
    bool usegemgeh = false;
    int direction = 0;  // face of the driver, 0..5
    double a = 0;       // height of the outlet above the face's lower edge, m
    double c = 0;       // distance of the outlet from the face's left edge, m
    int directionr = 0; // 0 rear outlet on the same face, 1 on the opposite face
    double ar = 0;      // a of the rear outlet on its face, m
    double cr = 0;      // c of the rear outlet on its face, m
};

// Derives a driver's TSchallwand from the shared cabinet when the entry has usegemgeh set: face,
// a, c, baffle size and depth, bevels, edge switches and both outlet positions; swd, swdr and the
// reserved fields keep their values. Without usegemgeh only the switch itself is cleared and the
// driver keeps its own baffle. No checks: an impossible position is reported by the baffle stage.
void swback(TSchallwand& sw, const TGemGeh& cabinet, const SharedCabinetEntry& entry);

// a and c of the rear outlet computed back from the stored rear position of `sw`, on the face
// given by its direction and directionr: what the dialog shows for a driver.
FacePoint calcarcr(const TSchallwand& sw, const TGemGeh& cabinet);

} // namespace sonora
