// The fields of a GameState by their paths in flagrun-replay's state lines,
// p1, p2, e1 and e2 standing for player1, player2, enemy1 and enemy2. Tests
// name them in words "path=value", or "path=x,y" for a place: "p1.laser.x=3",
// "p1=300,200", "p1.laser=3,3", "redFlag=79,60", "e1.wreck=9,8".
#pragma once

#include "rules/game_state.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

// The field of `fields` under `name` in `names`, or nullptr.
template <std::size_t N>
std::int32_t* Pick(std::string_view name, const std::string_view (&names)[N],
                   std::int32_t* const (&fields)[N]) {
    for (std::size_t i = 0; i < N; ++i) {
        if (names[i] == name) {
            return fields[i];
        }
    }
    return nullptr;
}

inline std::int32_t* Field(Projectile& p, std::string_view name) {
    constexpr std::string_view names[] = {"x", "y", "dx", "dy", "inFlight"};
    return Pick(name, names, {&p.x, &p.y, &p.dx, &p.dy, &p.inFlight});
}

inline std::int32_t* Field(PlayerState& p, std::string_view name) {
    if (name.starts_with("laser.") || name.starts_with("grenade.")) {
        return Field(name[0] == 'l' ? p.laser : p.grenade, name.substr(name.find('.') + 1));
    }
    constexpr std::string_view names[] = {"x",      "y",      "dead", "corpseX", "corpseY",
                                          "blastX", "blastY", "exp",  "bounty",  "carryingFlag"};
    return Pick(name, names,
                {&p.x, &p.y, &p.dead, &p.corpseX, &p.corpseY, &p.blastX, &p.blastY, &p.exp,
                 &p.bounty, &p.carryingFlag});
}

inline std::int32_t* Field(EnemyState& e, std::string_view name) {
    if (name.starts_with("laser.")) {
        return Field(e.laser, name.substr(6));
    }
    constexpr std::string_view names[] = {"x", "y", "dx", "dy", "wreckX", "wreckY"};
    return Pick(name, names, {&e.x, &e.y, &e.dx, &e.dy, &e.wreckX, &e.wreckY});
}

inline std::int32_t* Field(GameState& s, std::string_view path) {
    const std::string_view who = path.substr(0, 3);
    if (who == "p1." || who == "p2.") {
        return Field(who == "p1." ? s.player1 : s.player2, path.substr(3));
    }
    if (who == "e1." || who == "e2.") {
        return Field(who == "e1." ? s.enemy1 : s.enemy2, path.substr(3));
    }
    constexpr std::string_view names[] = {"redFlagX", "redFlagY", "restartCountdown"};
    return Pick(path, names, {&s.redFlagX, &s.redFlagY, &s.restartCountdown});
}

struct FieldWord {
    std::string word;
    std::int32_t* field;
    std::int32_t value;
};

// The field words of `text`, each place word giving two; the other words,
// those without '=', go to *bare. A word naming no field fails the test.
inline std::vector<FieldWord> ReadWords(GameState& s, std::string_view text, std::string* bare) {
    std::vector<FieldWord> fields;
    std::istringstream in{std::string(text)};
    for (std::string word; in >> word;) {
        const std::size_t equals = word.find('=');
        const std::size_t comma = word.find(',');
        const std::string path = word.substr(0, equals);
        if (equals == std::string::npos) {
            *bare += bare->empty() ? word : " " + word;
        } else if (comma == std::string::npos) {
            fields.push_back({word, Field(s, path), std::stoi(word.substr(equals + 1))});
        } else {
            // p1.x for "p1", redFlagX for "redFlag".
            std::int32_t* x = Field(s, path + ".x");
            std::int32_t* y = Field(s, path + ".y");
            fields.push_back(
                {word, x ? x : Field(s, path + "X"), std::stoi(word.substr(equals + 1))});
            fields.push_back(
                {word, y ? y : Field(s, path + "Y"), std::stoi(word.substr(comma + 1))});
        }
        EXPECT_TRUE(fields.empty() || fields.back().field != nullptr) << "no field: " << word;
    }
    return fields;
}

// The field words of `text` that the state does not hold, with what it holds.
inline std::string Mismatches(GameState& state, std::string_view text, std::string* bare) {
    std::string wrong;
    for (const FieldWord& f : ReadWords(state, text, bare)) {
        if (f.field != nullptr && *f.field != f.value) {
            wrong += f.word + " (got " + std::to_string(*f.field) + ") ";
        }
    }
    return wrong;
}
