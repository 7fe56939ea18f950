// The passive crossover network solver: element list of one amplifier's parts and its solution.
//
// A network is solved in two steps. The builder turns the part slots into a working element list
// (degenerate parts resolved, wires merged into their nodes, nodes numbered 0 .. E-1). The solver
// then sets up one complex equation per element (its current) and one per node (its voltage),
// eliminates with partial pivoting and writes, for a 1 V source at every grid frequency, the
// voltage at each driver's terminals and the impedance the amplifier sees. All storage lives in
// a CrossoverWorkspace that the caller keeps: nothing is allocated per solve or per frequency.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>

#include "model/complex.h"
#include "model/records.h"
#include "model/result.h"

namespace sonora {

// Size of the system matrix: at most 750 variables (elements plus nodes); the columns hold the
// variables, the right-hand side in column N and one spare.
inline constexpr int kMaxCrossoverVariables = 750;
inline constexpr int kCrossoverMatrixColumns = 752;

// Why a network could not be built or solved. Every value but Ok fails the stage.
enum class CrossoverStatus {
    Ok,
    TooManyVariables, // elements + nodes > kMaxCrossoverVariables
    BadDriverIndex,   // a driver element whose chassisnr is outside 0 .. kMaxChassis-1
    BadNode,          // a negative node number, which compaction cannot place
    ArithmeticFault,  // a non-finite value, an overflow or a division by zero while solving
};

// One entry of the working element list.
struct CrossoverElement {
    int slot;     // part slot 0 .. kUsedPartSlots-1 the element comes from
    int partNod1; // node numbers as stored in the part
    int partNod2;
    int nod1; // working node numbers: after wire merging and compaction 0 .. nodeCount-1
    int nod2;
    int typ;       // PartTyp after degenerate values are resolved (kPartEmpty stamps nothing)
    int v;         // polarity, -1 or +1
    int chassisnr; // driver index for kPartDriver
    double Rvalue; // Ohm, series resistance of a coil
    double value;  // Ohm, F or H
};

// The working element list of one network; fixed capacity, so building it never allocates.
struct CrossoverNetwork {
    std::array<CrossoverElement, kUsedPartSlots> elements{};
    int elementCount = 0; // D
    int nodeCount = 0;    // E, valid after compactCrossoverNodes
    int variableCount() const { return elementCount + nodeCount; }
};

// Scratch storage of the solver: the 750 x 752 system matrix (row-major), the solution and the
// element list of the network being solved. About 9 MB; a run object keeps one for its lifetime.
class CrossoverWorkspace {
public:
    CrossoverWorkspace();
    CrossoverWorkspace(const CrossoverWorkspace&) = delete;
    CrossoverWorkspace& operator=(const CrossoverWorkspace&) = delete;

    Complex* row(int r) {
        return matrix_.get() + static_cast<std::size_t>(r) * kCrossoverMatrixColumns;
    }

    CrossoverNetwork network; // the element list the stage builds into

    // Per-frequency scratch of the solver.
    std::array<Complex, kMaxCrossoverVariables> x{};         // solution: currents, then voltages
    std::array<int, kCrossoverMatrixColumns> pivotColumns{}; // non-zero columns of a pivot row
    std::array<Complex, kUsedPartSlots> driverVoltage{};     // per element, of one frequency (V)

private:
    std::unique_ptr<Complex[]> matrix_;
};

// Polarity of a part: -1 for every verpolt below 1 (the editor stores -1 for normal polarity and
// 1 for "Polung negativ"; slots read without it hold 0), +1 otherwise.
int crossoverPolarity(int verpolt);

// The builder's steps, exposed so the crossover editor and tests can run them on their own lists.
// 1. Every slot 0 .. kUsedPartSlots-1 with typ > 0, in slot order; degenerate values change the
//    type (resistor 0 Ohm and capacitor 0 F with Rvalue 0: wire; coil 0 H: no connection).
//    Working node numbers start as the part's; polarities are normalised.
void collectCrossoverElements(const TPart (&weiche)[kPartSlots], CrossoverNetwork& net);
// 2. Each wire in list order joins its nod2 into its nod1 in all elements and leaves the list.
void mergeCrossoverWires(CrossoverNetwork& net);
// 3. Renames the node numbers to 0 .. E-1 and sets nodeCount: E counts up over the numbers in
//    use; the first number above E (in list order, nod1 before nod2) is renamed to E.
void compactCrossoverNodes(CrossoverNetwork& net);
// Limits of a compacted list: variables, driver indices and node numbers.
CrossoverStatus checkCrossoverNetwork(const CrossoverNetwork& net);
// All of the above.
CrossoverStatus buildCrossoverNetwork(const TPart (&weiche)[kPartSlots], CrossoverNetwork& net);

// Solves a built network at every grid frequency (freq ended by a value <= 0, at most
// kResultFreqs-1 points) for a 1 V source. For each frequency writes fgang_weiche[d][i] of every
// driver d in the network (V across its terminals) and impedanz_box[i] (Ohm; 1e100 without a
// source; the load the amplifier sees, with the load's sign and phase, not the stamps' inverted
// one). Other drivers are not touched. A network without elements writes nothing. On a fault the
// frequencies before it stay written and the faulty one writes nothing. impedanz_ch holds the
// driver impedances (Ohm).
CrossoverStatus solveCrossover(const CrossoverNetwork& net, const double* freq,
                               const Complex (&impedanz_ch)[kMaxChassis][kResultFreqs],
                               CrossoverWorkspace& ws,
                               Complex (&fgang_weiche)[kMaxChassis][kResultFreqs],
                               Complex (&impedanz_box)[kResultFreqs]);

// The stage's failure text for amplifier index amp (0-based; the text counts from 1), Latin-1.
std::string crossoverFailureText(int amp);

} // namespace sonora
