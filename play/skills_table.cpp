// The classes and the 24 skills: names, texts, levels, cooldowns, icons,
// costs, icon tints and the numbers of each skill's rule.
#include "play/skills.h"

#include <cassert>
#include <cmath>
#include <cstdio>
#include <cstring>

const ClassDef class_defs[3] = {
    {"Archer", "Archère",
     "Combat à distance. Choisissez une cible (clic ou Tab) et décochez avec F : ses flèches filent droit sur "
     "elle.\nCompétences : Tir puissant, Volée de flèches, Piège à mâchoires."},
    {"Guerrier", "Guerrière",
     "Combat au corps à corps, l'épée et l'écu. Trois coups de suite (F) font un enchaînement ; la touche X lève "
     "l'écu, qui arrête 70 % des coups de face. 30 % de points de vie en plus et une armure renforcée ; la Rage, "
     "gagnée au combat, nourrit ses compétences.\nCompétences : Frappe héroïque, Charge, Tourbillon."},
    {"Druide", "Druidesse",
     "La magie de Tervanne. Son bâton lance des traits de lune ; il se soigne lui-même, entrave ses ennemis dans "
     "les ronces et appelle un loup-esprit qui combat à ses côtés. Le mana se régénère, plus vite hors "
     "combat.\nCompétences : Souffle de vie, Ronces, Esprit du loup."},
};

namespace {

// The worded descriptions, filled once at start-up.
char described[SKILL_ROWS][320];
int described_count = 0;

SkillDef row(SkillDef d) {
    char* out = described[described_count < SKILL_ROWS ? described_count++ : SKILL_ROWS - 1];
    bool worded = skill_describe(d.text, d.numbers, out, (int)sizeof described[0]);
    // A text naming a field it lacks is the table's fault; shown raw in release.
    assert(worded);
    d.description = worded ? out : d.text;
    return d;
}

const char* count_word(int n) {
    static const char* const words[] = {"Zéro", "Une", "Deux", "Trois", "Quatre", "Cinq", "Six", "Sept", "Huit"};
    return n >= 0 && n < (int)(sizeof words / sizeof words[0]) ? words[n] : nullptr;
}

const char* factor_word(float f) {
    if (f == 2.0f) return "double";
    if (f == 3.0f) return "triple";
    return nullptr;
}

// A number as the texts write it: "%g" with a decimal comma.
void put_number(char* buf, size_t cap, float v) {
    std::snprintf(buf, cap, "%g", (double)v);
    for (char* c = buf; *c; ++c)
        if (*c == '.') *c = ',';
}

void put_percent(char* buf, size_t cap, float share) {
    std::snprintf(buf, cap, "%ld", std::lround((double)share * 100.0));
}

}  // namespace

bool skill_describe(const char* text, const SkillNumbers& n, char* out, int capacity) {
    if (!text || !out || capacity <= 0) return false;
    int at = 0;
    auto put = [&](const char* s) {
        for (; *s; ++s) {
            if (at + 1 >= capacity) return false;
            out[at++] = *s;
        }
        return true;
    };
    for (const char* p = text; *p;) {
        if (*p != '{') {
            char one[2] = {*p++, 0};
            if (!put(one)) {
                out[at] = 0;
                return false;
            }
            continue;
        }
        const char* end = std::strchr(p, '}');
        if (!end) {
            out[at] = 0;
            return false;
        }
        char field[24];
        size_t len = (size_t)(end - p - 1);
        if (len >= sizeof field) len = sizeof field - 1;
        std::memcpy(field, p + 1, len);
        field[len] = 0;
        char buf[32];
        const char* word = buf;
        if (!std::strcmp(field, "power%")) put_percent(buf, sizeof buf, n.power);
        else if (!std::strcmp(field, "power+%")) put_percent(buf, sizeof buf, n.power - 1.0f);
        else if (!std::strcmp(field, "power")) put_number(buf, sizeof buf, n.power);
        else if (!std::strcmp(field, "power*")) word = factor_word(n.power);
        else if (!std::strcmp(field, "duration")) put_number(buf, sizeof buf, n.duration);
        else if (!std::strcmp(field, "per_second%")) put_percent(buf, sizeof buf, n.per_second);
        else if (!std::strcmp(field, "range")) put_number(buf, sizeof buf, n.range);
        else if (!std::strcmp(field, "min_range")) put_number(buf, sizeof buf, n.min_range);
        else if (!std::strcmp(field, "bonus")) put_number(buf, sizeof buf, n.bonus);
        else if (!std::strcmp(field, "Count")) word = count_word(n.count);
        else word = nullptr;
        if (!word || !put(word)) {
            out[at] = 0;
            return false;
        }
        p = end + 1;
    }
    out[at] = 0;
    return true;
}

// Each row: name, level, cooldown, icon, cost, tint, text, numbers.
const SkillDef skill_defs[SKILL_ROWS] = {
    // Archer.
    row({"Tir puissant", nullptr, 1, 4, 14, 0, {0.95f, 0.75f, 0.3f}, "Une flèche tendue à fond : {power*} dégâts.",
         {.power = 3.0f}}),
    row({"Volée de flèches", nullptr, 3, 7, 15, 0, {0.75f, 0.55f, 0.35f},
         "{Count} flèches en éventail, {power%} % des dégâts chacune.", {.power = 0.8f, .count = 5}}),
    row({"Piège à mâchoires", nullptr, 5, 12, 16, 0, {0.6f, 0.62f, 0.66f},
         "Posé à vos pieds : la première créature qui marche dessus est blessée et immobilisée {duration} s.",
         {.power = 1.6f, .duration = 5.0f}}),
    row({"Flèche enflammée", nullptr, 2, 4, 27, 0, {1.0f, 0.5f, 0.15f},
         "Une flèche à la pointe embrasée : {power%} % des dégâts, puis la cible brûle ({per_second%} % par seconde "
         "pendant {duration} s).",
         {.power = 1.6f, .duration = 4.0f, .per_second = 0.35f}}),
    row({"Flèche de givre", nullptr, 4, 6, 28, 0, {0.55f, 0.8f, 1.0f},
         "La pointe gèle ce qu'elle touche : {power%} % des dégâts et la cible reste prise dans le givre {duration} s.",
         {.power = 1.2f, .duration = 3.0f}}),
    row({"Flèches jumelles", nullptr, 7, 3, 29, 0, {0.85f, 0.7f, 0.45f},
         "{Count} flèches décochées d'un même geste, chacune à pleins dégâts.", {.power = 1.0f, .count = 2}}),
    row({"Flèche perforante", nullptr, 10, 5, 30, 0, {0.8f, 0.45f, 0.4f},
         "Un tir tendu qui traverse la cible et toutes les créatures alignées derrière elle ({power%} % des dégâts).",
         {.power = 2.2f}}),
    row({"Pluie de flèches", nullptr, 14, 10, 31, 0, {0.65f, 0.7f, 0.85f},
         "{Count} volées s'abattent autour de la cible ({range} m) : {power%} % des dégâts à chaque volée, sur tout "
         "ce qui s'y trouve.",
         {.power = 0.6f, .range = 5.0f, .count = 4}}),
    // Warrior.
    row({"Frappe héroïque", nullptr, 1, 3, 17, 20, {0.8f, 0.82f, 0.88f},
         "Un coup d'épée de toute votre force : dégâts ×{power}.", {.power = 2.5f}}),
    row({"Charge", nullptr, 3, 15, 18, 0, {0.55f, 0.65f, 0.85f},
         "Foncez sur la cible ({min_range} à {range} m) : elle reste étourdie {duration} s et vous gagnez {bonus} de "
         "rage.",
         {.power = 0.5f, .duration = 1.5f, .range = 25.0f, .min_range = 5.0f, .bonus = 20.0f}}),
    row({"Tourbillon", nullptr, 5, 8, 19, 30, {0.85f, 0.4f, 0.3f},
         "Vous tournoyez, l'épée tendue : toutes les créatures autour de vous sont frappées (×{power}).",
         {.power = 1.4f, .range = 3.3f}}),
    row({"Coup d'écu", nullptr, 2, 10, 32, 10, {0.75f, 0.6f, 0.35f},
         "Un coup sec du bord de l'écu : {power%} % des dégâts, et la créature reste étourdie {duration} s.",
         {.power = 1.2f, .duration = 2.0f}}),
    row({"Cri de guerre", nullptr, 4, 30, 33, 0, {0.9f, 0.3f, 0.2f},
         "Un cri qui glace l'adversaire : +{bonus} de rage, et vos coups font {power+%} % de dégâts en plus pendant "
         "{duration} s.",
         {.power = 1.2f, .duration = 10.0f, .bonus = 25.0f}}),
    row({"Pourfendre", nullptr, 7, 6, 34, 15, {0.8f, 0.15f, 0.12f},
         "Une entaille profonde : {power%} % des dégâts, puis la créature saigne ({per_second%} % par seconde pendant "
         "{duration} s).",
         {.power = 0.8f, .duration = 6.0f, .per_second = 0.3f}}),
    row({"Second souffle", nullptr, 10, 40, 35, 15, {0.9f, 0.3f, 0.35f},
         "Vous reprenez votre souffle au milieu de la mêlée : {power%} % de vos points de vie rendus d'un coup.",
         {.power = 0.3f}}),
    // "un quart" in the text is the threshold.
    row({"Exécution", nullptr, 14, 8, 36, 30, {0.7f, 0.7f, 0.75f},
         "Un coup pour achever : ×{power}, et ×{bonus} si la créature a moins d'un quart de ses points de vie.",
         {.power = 1.5f, .bonus = 4.0f, .threshold = 0.25f}}),
    // Druid.
    row({"Souffle de vie", nullptr, 1, 8, 20, 30, {0.4f, 0.9f, 0.45f},
         "La forêt vous soigne : {power%} % de vos points de vie d'un coup, puis encore {per_second%} % par seconde "
         "pendant {duration} s.",
         {.power = 0.3f, .duration = 5.0f, .per_second = 0.03f}}),
    row({"Ronces", nullptr, 3, 12, 21, 25, {0.45f, 0.65f, 0.25f},
         "Des ronces jaillissent sous la cible ({range} m) : elle reste prise {duration} s et saigne à chaque seconde.",
         {.duration = 4.0f, .per_second = 0.35f, .range = 30.0f}}),
    row({"Esprit du loup", nullptr, 5, 45, 22, 40, {0.55f, 0.85f, 0.85f},
         "Un loup-esprit vient combattre à vos côtés pendant {duration} s : il se jette sur les créatures qui vous "
         "menacent.",
         {.duration = 30.0f}}),
    row({"Colère du soleil", nullptr, 2, 4, 37, 20, {1.0f, 0.8f, 0.3f},
         "Un éclat de soleil, plus lent à former qu'un trait de lune mais bien plus fort : {power%} % des dégâts.",
         {.power = 1.8f, .range = 45.0f}}),
    row({"Régénération", nullptr, 4, 15, 38, 25, {0.5f, 0.85f, 0.3f},
         "La sève de Tervanne vous parcourt : {per_second%} % de vos points de vie rendus chaque seconde pendant "
         "{duration} s.",
         {.duration = 12.0f, .per_second = 0.04f}}),
    row({"Essaim de lucioles", nullptr, 7, 10, 39, 30, {0.95f, 0.9f, 0.4f},
         "Un essaim de lucioles ardentes harcèle la cible : {per_second%} % des dégâts chaque seconde pendant "
         "{duration} s.",
         {.duration = 8.0f, .per_second = 0.4f, .range = 30.0f}}),
    row({"Courroux de Tervanne", nullptr, 10, 18, 40, 45, {0.4f, 0.75f, 0.45f},
         "La terre se soulève autour de vous ({range} m) : {power%} % des dégâts à chaque créature, repoussée et "
         "sonnée {duration} s.",
         {.power = 1.5f, .duration = 1.0f, .range = 7.0f}}),
    row({"Bénédiction de Viviane", nullptr, 14, 45, 41, 60, {0.45f, 0.7f, 1.0f},
         "La Dame du Lac veille sur vous : {power%} % de vos points de vie rendus d'un coup.", {.power = 0.6f}}),
};

const char* class_display_name(int player_class, bool woman) {
    const ClassDef& d = class_defs[player_class < 0 || player_class > 2 ? 0 : player_class];
    return woman ? d.female_name : d.name;
}
