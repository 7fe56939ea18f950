// The shared outer cabinet: faces against an independent geometric model, the rear outlet, the
// inverse for the dialog, and the dialog's open/apply round trip and pages.
#include <array>
#include <cmath>
#include <cstring>
#include <memory>

#include <gtest/gtest.h>

#include "acoustics/shared_cabinet.h"
#include "acoustics/shared_cabinet_dialog.h"
#include "storage/latin1.h"

namespace sonora {
namespace {

TGemGeh cabinet(double b, double h, double t) {
    TGemGeh g{};
    g.b = b;
    g.h = h;
    g.t = t;
    g.fasl = 0.01; // whole cm, so the dialog's texts read back exactly
    g.fasr = 0.02;
    g.faso = 0.03;
    g.fasu = 0.04;
    g.beugl = true;
    g.beugo = false;
    g.beugr = true;
    g.beugu = false;
    return g;
}

SharedCabinetEntry entry(int face, double a, double c, int side = 0, double ar = 0, double cr = 0) {
    return {true, face, a, c, side, ar, cr};
}

// Vectors in (hor, vert, stra).
using Vec = std::array<double, 3>;
Vec cross(const Vec& u, const Vec& v) {
    return {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
}

// An independent model of the box: the outward normal of each face and the direction the user
// calls "up" on it (on the top face the far edge, on the bottom face the front edge). Seen from
// outside, right = viewing direction × up. A point (a, c) lies at face centre + (a − H/2)·up +
// (c − W/2)·right, with W and H the box's extents along right and up.
struct FaceModel {
    Vec normal, up;
};
constexpr FaceModel kModel[kCabinetFaces] = {
    {{0, 0, 1}, {0, 1, 0}}, {{0, 0, -1}, {0, 1, 0}}, {{-1, 0, 0}, {0, 1, 0}},
    {{1, 0, 0}, {0, 1, 0}}, {{0, 1, 0}, {0, 0, -1}}, {{0, -1, 0}, {0, 0, 1}},
};

Vec modelPoint(const TGemGeh& g, int face, double a, double c, double& W, double& H) {
    const FaceModel& m = kModel[face];
    const Vec view = {-m.normal[0], -m.normal[1], -m.normal[2]};
    const Vec right = cross(view, m.up);
    const Vec size = {g.b, g.h, g.t};
    auto extent = [&](const Vec& v) {
        return std::abs(v[0]) * size[0] + std::abs(v[1]) * size[1] + std::abs(v[2]) * size[2];
    };
    W = extent(right);
    H = extent(m.up);
    Vec p = {0, 0, -g.t / 2}; // centre of the box
    for (int k = 0; k < 3; ++k) {
        p[k] += m.normal[k] * size[k] / 2 + (a - H / 2) * m.up[k] + (c - W / 2) * right[k];
    }
    return p;
}

TEST(SharedCabinet, EveryFaceAgreesWithTheBoxModel) {
    const TGemGeh g = cabinet(0.2, 0.3, 0.25);
    for (int face = 0; face < kCabinetFaces; ++face) {
        TSchallwand sw{};
        swback(sw, g, entry(face, 0.07, 0.04));
        double W = 0, H = 0;
        const Vec p = modelPoint(g, face, 0.07, 0.04, W, H);
        EXPECT_NEAR(sw.swhor, p[0], 1e-12) << face;
        EXPECT_NEAR(sw.swvert, p[1], 1e-12) << face;
        EXPECT_NEAR(sw.swstra, p[2], 1e-12) << face;
        EXPECT_DOUBLE_EQ(sw.swb, W) << face;
        EXPECT_DOUBLE_EQ(sw.swh, H) << face;
        EXPECT_DOUBLE_EQ(sw.swt, g.b * g.h * g.t / (W * H)) << face; // the remaining extent
        EXPECT_EQ(sw.direction, face);
        EXPECT_DOUBLE_EQ(sw.swa, 0.07);
        EXPECT_DOUBLE_EQ(sw.swc, 0.04);
        // Edge switches: the cabinet's on the front, free edges everywhere else.
        const bool front = face == 0;
        EXPECT_EQ(sw.beugl, front ? g.beugl : true) << face;
        EXPECT_EQ(sw.beugr, front ? g.beugr : true) << face;
        EXPECT_EQ(sw.beugo, front ? g.beugo : true) << face;
        EXPECT_EQ(sw.beugu, front ? g.beugu : true) << face;
        if (face == 0 || face == 1) {
            continue;
        }
        // A side face carries a bevel only on its edge in the front plane: check that the edge
        // midpoint of the bevelled edge, in the box model, lies on stra = 0.
        const struct {
            double bevel, a, c;
        } edges[] = {
            {sw.swe, H / 2, 0}, {sw.swf, H / 2, W}, {sw.swg, H, W / 2}, {sw.swi, 0, W / 2}};
        int bevelled = 0;
        for (const auto& e : edges) {
            if (e.bevel != 0) {
                ++bevelled;
                EXPECT_NEAR(modelPoint(g, face, e.a, e.c, W, H)[2], 0, 1e-12) << face;
            }
        }
        EXPECT_EQ(bevelled, 1) << face;
    }
}

TEST(SharedCabinet, NamedPositions) {
    // Front face of a 0.2 m × 0.3 m cabinet, driver at a = 0.2, c = 0.1.
    TSchallwand front{};
    swback(front, cabinet(0.2, 0.3, 0.25), entry(0, 0.2, 0.1));
    EXPECT_NEAR(front.swhor, 0, 1e-15);
    EXPECT_NEAR(front.swvert, 0.05, 1e-15);
    EXPECT_EQ(front.swstra, 0);
    EXPECT_EQ(front.swe, 0.01);
    EXPECT_EQ(front.swf, 0.02);
    EXPECT_EQ(front.swg, 0.03);
    EXPECT_EQ(front.swi, 0.04);

    // Left face of b = 0.2, t = 0.25: a 0.25 m wide baffle with fasl at its right edge.
    TSchallwand left{};
    swback(left, cabinet(0.2, 0.3, 0.25), entry(2, 0.1, 0.1));
    EXPECT_EQ(left.swb, 0.25);
    EXPECT_EQ(left.swf, 0.01);
    EXPECT_EQ(left.swe, 0);
    EXPECT_DOUBLE_EQ(left.swhor, -0.1);

    // Rear outlet opposite a front driver: on the back face, mirrored horizontally.
    TSchallwand vented{};
    swback(vented, cabinet(0.2, 0.3, 0.25), entry(0, 0.2, 0.1, 1, 0.05, 0.03));
    EXPECT_EQ(vented.directionr, 1);
    EXPECT_EQ(vented.swstrar, -0.25);
    EXPECT_DOUBLE_EQ(vented.swhorr, 0.1 - 0.03);
    EXPECT_DOUBLE_EQ(vented.swvertr, 0.05 - 0.15);
    // On the same face it stays in the front plane.
    swback(vented, cabinet(0.2, 0.3, 0.25), entry(0, 0.2, 0.1, 0, 0.05, 0.03));
    EXPECT_EQ(vented.swstrar, 0);
    EXPECT_DOUBLE_EQ(vented.swhorr, 0.03 - 0.1);
}

TEST(SharedCabinet, CalcarcrInvertsTheRearMappingOnEveryFaceAndSide) {
    const TGemGeh g = cabinet(0.31, 0.47, 0.29);
    for (int face = 0; face < kCabinetFaces; ++face) {
        for (int side = 0; side <= 1; ++side) {
            TSchallwand sw{};
            swback(sw, g, entry(face, 0.11, 0.09, side, 0.061, 0.173));
            const CabinetFace rear = rearOutletFace(cabinetFaceOf(face), side);
            EXPECT_EQ(side == 1, rear != cabinetFaceOf(face));
            EXPECT_EQ(oppositeFace(oppositeFace(rear)), rear);
            const FacePoint back = calcarcr(sw, g);
            EXPECT_NEAR(back.a, 0.061, 1e-12) << face << "/" << side;
            EXPECT_NEAR(back.c, 0.173, 1e-12) << face << "/" << side;
        }
    }
}

TEST(SharedCabinet, WithoutTheSwitchTheDriverKeepsItsBaffle) {
    TSchallwand sw{};
    sw.usegemgeh = true;
    sw.swb = 0.5;
    sw.swhor = 0.123;
    sw.direction = 3;
    TSchallwand before = sw;
    swback(sw, cabinet(0.2, 0.3, 0.25), SharedCabinetEntry{});
    EXPECT_FALSE(sw.usegemgeh);
    before.usegemgeh = false;
    EXPECT_EQ(std::memcmp(&sw, &before, sizeof sw), 0);
}

TEST(SharedCabinetDialog, OpenApplyRoundTripAndUndoLabel) {
    auto p = std::make_unique<TProjekt>();
    std::memset(static_cast<void*>(p.get()), 0, sizeof(TProjekt));
    p->nChassis = 3;
    p->Gemgeh = cabinet(0.25, 0.5, 0.375);
    swback(p->schallwand[0], p->Gemgeh, entry(4, 0.125, 0.0625, 1, 0.25, 0.125));
    swback(p->schallwand[1], p->Gemgeh, entry(3, 0.375, 0.25, 0, 0.0625, 0.1875));
    p->schallwand[2].swb = 0.7; // own baffle, not in the shared cabinet
    p->schallwand[2].swhor = -0.2;
    const auto before = std::make_unique<TProjekt>(*p);

    SharedCabinetDialog d = openSharedCabinetDialog(*p);
    EXPECT_EQ(d.b, "25");
    EXPECT_EQ(d.h, "50");
    EXPECT_EQ(d.t, "37,5");
    EXPECT_EQ(d.fasu, "4");
    EXPECT_TRUE(d.rows[0].usegemgeh);
    EXPECT_EQ(d.rows[0].direction, 4);
    EXPECT_EQ(d.rows[0].a, "12,5");
    EXPECT_EQ(d.rows[0].c, "6,25");
    EXPECT_EQ(d.rows[0].directionr, 1);
    EXPECT_EQ(d.rows[0].ar, "25");
    EXPECT_EQ(d.rows[0].cr, "12,5");
    EXPECT_FALSE(d.rows[2].usegemgeh);

    EXPECT_EQ(applySharedCabinetDialog(*p, d), utf8ToLatin1("Gemeinsames Außengehäuse editieren"));
    EXPECT_EQ(std::memcmp(p.get(), before.get(), sizeof(TProjekt)), 0);

    // A changed depth moves the back-side outlets and the side baffles, read with a comma or dot.
    d.t = "40.0";
    d.rows[1].c = "10,5";
    applySharedCabinetDialog(*p, d);
    EXPECT_DOUBLE_EQ(p->Gemgeh.t, 0.4);
    EXPECT_DOUBLE_EQ(p->schallwand[0].swstrar, 0.25 - 0.4); // bottom face, a_r from the back
    EXPECT_DOUBLE_EQ(p->schallwand[1].swb, 0.4);
    EXPECT_DOUBLE_EQ(p->schallwand[1].swstra, -0.105);
    EXPECT_EQ(std::memcmp(&p->schallwand[2], &before->schallwand[2], sizeof(TSchallwand)), 0);
}

TEST(SharedCabinetDialog, PagesAndVisibleFields) {
    EXPECT_EQ(sharedCabinetPageCount(9), 2);
    EXPECT_EQ(sharedCabinetPageTitle(0, 9), "Chassis 1 bis 8");
    EXPECT_EQ(sharedCabinetPageTitle(1, 9), "Chassis 9 bis 9");
    EXPECT_EQ(sharedCabinetPageCount(8), 1);
    EXPECT_EQ(sharedCabinetPageCount(1), 1);
    EXPECT_EQ(sharedCabinetPageTitle(0, 1), "Chassis 1 bis 1");
    EXPECT_EQ(sharedCabinetPageCount(32), 4);
    EXPECT_EQ(sharedCabinetPageTitle(2, 32), "Chassis 17 bis 24");
    EXPECT_EQ(sharedCabinetPageTitle(3, 32), "Chassis 25 bis 32");

    for (int typ = 0; typ <= 5; ++typ) {
        const SharedCabinetRowFields on = sharedCabinetRowFields(true, typ);
        const SharedCabinetRowFields off = sharedCabinetRowFields(false, typ);
        EXPECT_TRUE(on.position);
        EXPECT_EQ(on.rearOutlet, typ == 2 || typ == 4) << typ;
        EXPECT_FALSE(off.position || off.rearOutlet);
    }
    EXPECT_EQ(rearSideCaption(1), utf8ToLatin1("gegenüber von Chassis"));
    EXPECT_EQ(cabinetFaceCaption(0), "nach vorn");
    EXPECT_EQ(cabinetFaceCaption(5), "nach unten");
}

} // namespace
} // namespace sonora
