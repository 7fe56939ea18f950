#include "acoustics/shared_cabinet.h"

namespace sonora {

namespace {

// Width, height and depth of a face's baffle and its 45° bevels at the left, right, top and
// bottom edge as seen from outside that face. A bevel of the front belongs to the side face that
// shares its edge: the left face's right edge and the right face's left edge are front edges, as
// are the top face's and the bottom face's edges towards the front.
struct FaceBaffle {
    double width, height, depth;
    double left, right, top, bottom;
};

FaceBaffle faceBaffle(const TGemGeh& g, CabinetFace face) {
    switch (face) {
    case CabinetFace::Front:
        return {g.b, g.h, g.t, g.fasl, g.fasr, g.faso, g.fasu};
    case CabinetFace::Back:
        return {g.b, g.h, g.t, 0, 0, 0, 0};
    case CabinetFace::Left:
        return {g.t, g.h, g.b, 0, g.fasl, 0, 0};
    case CabinetFace::Right:
        return {g.t, g.h, g.b, g.fasr, 0, 0, 0};
    case CabinetFace::Top:
        return {g.b, g.t, g.h, 0, 0, 0, g.faso};
    case CabinetFace::Bottom:
        return {g.b, g.t, g.h, 0, 0, g.fasu, 0};
    }
    return {g.b, g.h, g.t, g.fasl, g.fasr, g.faso, g.fasu};
}

} // namespace

CabinetFace cabinetFaceOf(int direction) {
    if (direction < 0 || direction >= kCabinetFaces) {
        return CabinetFace::Front;
    }
    return static_cast<CabinetFace>(direction);
}

CabinetFace oppositeFace(CabinetFace face) {
    switch (face) {
    case CabinetFace::Front:
        return CabinetFace::Back;
    case CabinetFace::Back:
        return CabinetFace::Front;
    case CabinetFace::Left:
        return CabinetFace::Right;
    case CabinetFace::Right:
        return CabinetFace::Left;
    case CabinetFace::Top:
        return CabinetFace::Bottom;
    case CabinetFace::Bottom:
        return CabinetFace::Top;
    }
    return CabinetFace::Back;
}

CabinetFace rearOutletFace(CabinetFace driverFace, int directionr) {
    return directionr == kRearOppositeSide ? oppositeFace(driverFace) : driverFace;
}

RoomPosition facePointPosition(const TGemGeh& g, CabinetFace face, double a, double c) {
    switch (face) {
    case CabinetFace::Front:
        return {c - g.b / 2, a - g.h / 2, 0};
    case CabinetFace::Back: // seen from behind, the face's left edge is the cabinet's right side
        return {g.b / 2 - c, a - g.h / 2, -g.t};
    case CabinetFace::Left: // c runs from the back edge to the front edge
        return {-g.b / 2, a - g.h / 2, c - g.t};
    case CabinetFace::Right: // c runs from the front edge to the back edge
        return {g.b / 2, a - g.h / 2, -c};
    case CabinetFace::Top: // a runs from the front edge backwards
        return {c - g.b / 2, g.h / 2, -a};
    case CabinetFace::Bottom: // a runs from the back edge forwards
        return {c - g.b / 2, -g.h / 2, a - g.t};
    }
    return {c - g.b / 2, a - g.h / 2, 0};
}

FacePoint facePointOf(const TGemGeh& g, CabinetFace face, const RoomPosition& p) {
    switch (face) {
    case CabinetFace::Front:
        return {p.vert + g.h / 2, p.hor + g.b / 2};
    case CabinetFace::Back:
        return {p.vert + g.h / 2, g.b / 2 - p.hor};
    case CabinetFace::Left:
        return {p.vert + g.h / 2, p.stra + g.t};
    case CabinetFace::Right:
        return {p.vert + g.h / 2, -p.stra};
    case CabinetFace::Top:
        return {-p.stra, p.hor + g.b / 2};
    case CabinetFace::Bottom:
        return {p.stra + g.t, p.hor + g.b / 2};
    }
    return {p.vert + g.h / 2, p.hor + g.b / 2};
}

void swback(TSchallwand& sw, const TGemGeh& g, const SharedCabinetEntry& e) {
    sw.usegemgeh = e.usegemgeh;
    if (!e.usegemgeh) {
        return;
    }
    const CabinetFace face = cabinetFaceOf(e.direction);
    sw.direction = static_cast<std::int8_t>(face);
    sw.directionr = static_cast<std::int8_t>(e.directionr == kRearOppositeSide ? kRearOppositeSide
                                                                               : kRearSameSide);
    sw.swa = e.a;
    sw.swc = e.c;

    const FaceBaffle f = faceBaffle(g, face);
    sw.swb = f.width;
    sw.swh = f.height;
    sw.swt = f.depth;
    sw.swe = f.left;
    sw.swf = f.right;
    sw.swg = f.top;
    sw.swi = f.bottom;

    // Only the front's edges may continue into a wall or cupboard; every other face's edges are
    // free cabinet edges.
    const bool front = face == CabinetFace::Front;
    sw.beugl = front ? g.beugl : true;
    sw.beugr = front ? g.beugr : true;
    sw.beugo = front ? g.beugo : true;
    sw.beugu = front ? g.beugu : true;

    const RoomPosition p = facePointPosition(g, face, e.a, e.c);
    sw.swhor = p.hor;
    sw.swvert = p.vert;
    sw.swstra = p.stra;
    const RoomPosition r = facePointPosition(g, rearOutletFace(face, sw.directionr), e.ar, e.cr);
    sw.swhorr = r.hor;
    sw.swvertr = r.vert;
    sw.swstrar = r.stra;
}

FacePoint calcarcr(const TSchallwand& sw, const TGemGeh& g) {
    const CabinetFace face = rearOutletFace(cabinetFaceOf(sw.direction), sw.directionr);
    return facePointOf(g, face, {sw.swhorr, sw.swvertr, sw.swstrar});
}

} // namespace sonora
