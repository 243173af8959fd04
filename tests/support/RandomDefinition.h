// Random small definitions and inputs for differential and robustness tests.
//
// randomDefinition(seed) describes a definition as plain data, the same for the same seed:
// 8-bit or 16-bit sets over a small alphabet, variables, patterns whose bounds include 0,
// equal bounds, blank maxima and large maxima, and whose elements may name a variable,
// string sets whose items share prefixes and include empty, disabled and ignore-case items,
// a main graph and sometimes a node group, with random links (loops included), a random
// start node and random actions on any node: output, counting, sending the node's text to a
// variable (sometimes as the node's only action), appending to a variable (its own value
// included), an action group, and in the main graph Run of the node group over a variable
// or a node's match. A test turns the description into its own definition (in code or as a
// file) and scans randomInput() texts with it. Inputs use the definition's alphabet, so
// matches are frequent; wide definitions get 16-bit units with an odd byte now and then, so
// both parities occur. String sets always have an enabled item.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

struct RandomSet {
    std::string name;
    std::vector<std::pair<int, int>> ranges;   // From, To (-1: blank)
};

struct RandomElement {
    std::string set;
    int32_t min = 0;
    int32_t max = -1;   // -1: blank (exactly the minimum)
};

struct RandomPattern {
    std::string name;
    std::vector<RandomElement> elements;
};

struct RandomItem {
    std::string text;
    bool ignoreCase = false;
    bool enabled = true;
};

struct RandomStringSet {
    std::string name;
    std::vector<RandomItem> items;
};

struct RandomVariable {
    std::string name;
    std::string initial;      // narrow text, set again before every scan
};

struct RandomNode {
    enum Kind { narrowKind, wideKind, referenceKind };
    Kind kind = narrowKind;
    std::string text;         // text, or the narrow form of a wide text
    std::string reference;    // a pattern, string set or node group
    bool ignoreCase = false;
    bool emits = false;       // writes its matched text and a separator
    bool counts = false;      // increments the counter "hits"
    bool returns = false;     // "Return" (node groups only)
    std::string sendTo;       // a variable that gets the node's text ("Send to")
    std::string appendTo;     // a variable that gets `appendFrom` added ("Append to")
    std::string appendFrom;   // "" for the node's text, or `appendTo` itself
    std::string writes;       // a variable whose value the node writes to the output
    std::string runOver;      // Run of the node group "G" over this variable or node tag
    bool group = false;       // runs the action group "A" (it counts, and writes V0 if any)
    std::vector<int32_t> links;   // node indexes in the same graph
};

struct RandomGraph {
    std::string name;         // "" for the main graph
    std::vector<RandomNode> nodes;
    int32_t start = 0;
};

struct RandomDefinitionSpec {
    bool wide = false;
    std::string alphabet;                  // the characters of sets, texts and inputs
    std::vector<RandomSet> sets;           // 8-bit, or 16-bit when wide
    std::vector<RandomVariable> variables; // "V0", "V1", ...; maybe none
    std::vector<RandomPattern> patterns;
    std::vector<RandomStringSet> stringSets;
    std::vector<RandomGraph> graphs;       // [0] the main graph, then node groups
};

namespace randomdef {

inline int32_t pick(std::mt19937& rng, int32_t n) { return n <= 0 ? 0 : int32_t(rng() % uint32_t(n)); }
inline bool chance(std::mt19937& rng, int32_t percent) { return pick(rng, 100) < percent; }

inline std::string randomText(std::mt19937& rng, const std::string& alphabet, int32_t minLength, int32_t maxLength) {
    std::string t;
    const int32_t n = minLength + pick(rng, maxLength - minLength + 1);
    for (int32_t i = 0; i < n; ++i) t += alphabet[size_t(pick(rng, int32_t(alphabet.size())))];
    return t;
}

inline int32_t randomMax(std::mt19937& rng, int32_t min) {
    switch (pick(rng, 5)) {
    case 0: return -1;
    case 1: return min;
    case 2: return 1000 + pick(rng, 100000);
    default: return min + pick(rng, 4);
    }
}

}  // namespace randomdef

inline RandomDefinitionSpec randomDefinition(uint32_t seed) {
    using namespace randomdef;
    std::mt19937 rng(seed);
    RandomDefinitionSpec d;
    d.wide = chance(rng, 25);
    d.alphabet = chance(rng, 50) ? "ab@.-" : "abcAB@. ";
    const int32_t letters = int32_t(d.alphabet.size());

    // Sets: a few random ranges of the alphabet's characters each.
    const int32_t setCount = 1 + pick(rng, 4);
    for (int32_t i = 0; i < setCount; ++i) {
        RandomSet s{"S" + std::to_string(i), {}};
        const int32_t ranges = 1 + pick(rng, 3);
        for (int32_t r = 0; r < ranges; ++r) {
            const int from = static_cast<unsigned char>(d.alphabet[size_t(pick(rng, letters))]);
            const int to = chance(rng, 50) ? -1 : static_cast<unsigned char>(d.alphabet[size_t(pick(rng, letters))]);
            s.ranges.emplace_back(from, to);
        }
        d.sets.push_back(s);
    }
    // Variables with short initial values.
    const int32_t variableCount = pick(rng, 3);
    for (int32_t i = 0; i < variableCount; ++i)
        d.variables.push_back({"V" + std::to_string(i), randomText(rng, d.alphabet, 0, 2)});
    auto anyVariable = [&] { return d.variables[size_t(pick(rng, variableCount))].name; };
    // Patterns of one to four elements, now and then one naming a variable.
    const int32_t patternCount = 1 + pick(rng, 3);
    for (int32_t i = 0; i < patternCount; ++i) {
        RandomPattern p{"P" + std::to_string(i), {}};
        const int32_t elements = 1 + pick(rng, 4);
        for (int32_t e = 0; e < elements; ++e) {
            const int32_t min = pick(rng, 10) < 2 ? 0 : 1 + pick(rng, 3);
            const bool variable = variableCount > 0 && chance(rng, 10);
            p.elements.push_back({variable ? anyVariable() : d.sets[size_t(pick(rng, setCount))].name, min,
                                  randomMax(rng, min)});
        }
        d.patterns.push_back(p);
    }
    // String sets (narrow only): items that often extend an earlier item.
    if (!d.wide) {
        const int32_t ssetCount = pick(rng, 3);
        for (int32_t i = 0; i < ssetCount; ++i) {
            RandomStringSet s{"T" + std::to_string(i), {}};
            const int32_t items = 1 + pick(rng, 5);
            for (int32_t k = 0; k < items; ++k) {
                RandomItem item;
                if (k > 0 && chance(rng, 50))
                    item.text = s.items[size_t(pick(rng, k))].text + randomText(rng, d.alphabet, 0, 2);
                else
                    item.text = randomText(rng, d.alphabet, chance(rng, 10) ? 0 : 1, 4);
                item.ignoreCase = chance(rng, 25);
                item.enabled = k == 0 || chance(rng, 85);
                s.items.push_back(item);
            }
            d.stringSets.push_back(s);
        }
    }
    // Graphs: the main graph and maybe one node group that returns from some node.
    const bool group = chance(rng, 30);
    const int32_t graphCount = group ? 2 : 1;
    for (int32_t g = 0; g < graphCount; ++g) {
        RandomGraph graph;
        graph.name = g == 0 ? "" : "G";
        const int32_t nodes = 1 + pick(rng, 5);
        for (int32_t i = 0; i < nodes; ++i) {
            RandomNode n;
            const int32_t kind = pick(rng, 10);
            if (kind < 3) {
                n.kind = d.wide ? RandomNode::wideKind : RandomNode::narrowKind;
                n.text = randomText(rng, d.alphabet, 1, 3);
                n.ignoreCase = chance(rng, 20);
            } else if (kind < 7 || d.stringSets.empty()) {
                n.kind = RandomNode::referenceKind;
                n.reference = d.patterns[size_t(pick(rng, patternCount))].name;
            } else {
                n.kind = RandomNode::referenceKind;
                n.reference = d.stringSets[size_t(pick(rng, int32_t(d.stringSets.size())))].name;
            }
            // The main graph may call the group.
            if (g == 0 && group && chance(rng, 20)) {
                n.kind = RandomNode::referenceKind;
                n.reference = "G";
            }
            n.emits = chance(rng, 60);
            n.counts = chance(rng, 30);
            n.returns = g > 0 && chance(rng, 40);
            n.group = chance(rng, 10);
            if (variableCount > 0) {
                if (chance(rng, 30)) n.sendTo = anyVariable();
                // Appended to itself right after a send, so that values stay small.
                if (chance(rng, 15)) {
                    n.appendTo = anyVariable();
                    if (chance(rng, 50)) n.appendFrom = n.sendTo = n.appendTo;
                }
                if (chance(rng, 25)) n.writes = anyVariable();
                // The main graph's nodes are tagged "N0", "N1", ...
                if (g == 0 && group && chance(rng, 10))
                    n.runOver = chance(rng, 50) ? anyVariable() : "N" + std::to_string(pick(rng, nodes));
                // A send alone: the shape of a start node that keeps a part of its match.
                if (!n.sendTo.empty() && n.appendFrom.empty() && chance(rng, 40)) {
                    n.emits = n.counts = n.returns = n.group = false;
                    n.appendTo = n.writes = n.runOver = "";
                }
            }
            const int32_t links = pick(rng, 3);
            for (int32_t k = 0; k < links; ++k) n.links.push_back(pick(rng, nodes));
            graph.nodes.push_back(n);
        }
        graph.start = pick(rng, nodes);
        d.graphs.push_back(graph);
    }
    return d;
}

// An input of up to `maxLength` bytes for the definition.
inline std::string randomInput(const RandomDefinitionSpec& d, std::mt19937& rng, int32_t maxLength) {
    using namespace randomdef;
    const int32_t n = pick(rng, maxLength + 1);
    std::string input;
    while (int32_t(input.size()) < n) {
        const char c = d.alphabet[size_t(pick(rng, int32_t(d.alphabet.size())))];
        input += c;
        // Wide input: 16-bit units, now and then an odd byte that shifts the parity.
        if (d.wide && !chance(rng, 3)) input += '\0';
    }
    return input;
}
