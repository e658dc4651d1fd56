// The classes and the 24 skills: names, texts, levels, cooldowns, icons,
// costs and icon tints.
#include "play/skills.h"

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

const SkillDef skill_defs[SKILL_ROWS] = {
    // Archer.
    {"Tir puissant", "Une flèche tendue à fond : triple dégâts.", 1, 4, 14, 0, {0.95f, 0.75f, 0.3f}},
    {"Volée de flèches", "Cinq flèches en éventail, 80 % des dégâts chacune.", 3, 7, 15, 0, {0.75f, 0.55f, 0.35f}},
    {"Piège à mâchoires",
     "Posé à vos pieds : la première créature qui marche dessus est blessée et immobilisée 5 s.", 5, 12, 16, 0,
     {0.6f, 0.62f, 0.66f}},
    {"Flèche enflammée",
     "Une flèche à la pointe embrasée : 160 % des dégâts, puis la cible brûle (35 % par seconde pendant 4 s).", 2,
     4, 27, 0, {1.0f, 0.5f, 0.15f}},
    {"Flèche de givre",
     "La pointe gèle ce qu'elle touche : 120 % des dégâts et la cible reste prise dans le givre 3 s.", 4, 6, 28, 0,
     {0.55f, 0.8f, 1.0f}},
    {"Flèches jumelles", "Deux flèches décochées d'un même geste, chacune à pleins dégâts.", 7, 3, 29, 0,
     {0.85f, 0.7f, 0.45f}},
    {"Flèche perforante",
     "Un tir tendu qui traverse la cible et toutes les créatures alignées derrière elle (220 % des dégâts).", 10, 5,
     30, 0, {0.8f, 0.45f, 0.4f}},
    {"Pluie de flèches",
     "Quatre volées s'abattent autour de la cible (5 m) : 60 % des dégâts à chaque volée, sur tout ce qui s'y "
     "trouve.",
     14, 10, 31, 0, {0.65f, 0.7f, 0.85f}},
    // Warrior.
    {"Frappe héroïque", "Un coup d'épée de toute votre force : dégâts ×2,5.", 1, 3, 17, 20, {0.8f, 0.82f, 0.88f}},
    {"Charge", "Foncez sur la cible (5 à 25 m) : elle reste étourdie 1,5 s et vous gagnez 20 de rage.", 3, 15, 18,
     0, {0.55f, 0.65f, 0.85f}},
    {"Tourbillon", "Vous tournoyez, l'épée tendue : toutes les créatures autour de vous sont frappées (×1,4).", 5,
     8, 19, 30, {0.85f, 0.4f, 0.3f}},
    {"Coup d'écu", "Un coup sec du bord de l'écu : 120 % des dégâts, et la créature reste étourdie 2 s.", 2, 10, 32,
     10, {0.75f, 0.6f, 0.35f}},
    {"Cri de guerre",
     "Un cri qui glace l'adversaire : +25 de rage, et vos coups font 20 % de dégâts en plus pendant 10 s.", 4, 30,
     33, 0, {0.9f, 0.3f, 0.2f}},
    {"Pourfendre", "Une entaille profonde : 80 % des dégâts, puis la créature saigne (30 % par seconde pendant 6 s).",
     7, 6, 34, 15, {0.8f, 0.15f, 0.12f}},
    {"Second souffle",
     "Vous reprenez votre souffle au milieu de la mêlée : 30 % de vos points de vie rendus d'un coup.", 10, 40, 35,
     15, {0.9f, 0.3f, 0.35f}},
    {"Exécution", "Un coup pour achever : ×1,5, et ×4 si la créature a moins d'un quart de ses points de vie.", 14,
     8, 36, 30, {0.7f, 0.7f, 0.75f}},
    // Druid.
    {"Souffle de vie",
     "La forêt vous soigne : 30 % de vos points de vie d'un coup, puis encore 3 % par seconde pendant 5 s.", 1, 8,
     20, 30, {0.4f, 0.9f, 0.45f}},
    {"Ronces", "Des ronces jaillissent sous la cible (30 m) : elle reste prise 4 s et saigne à chaque seconde.", 3,
     12, 21, 25, {0.45f, 0.65f, 0.25f}},
    {"Esprit du loup",
     "Un loup-esprit vient combattre à vos côtés pendant 30 s : il se jette sur les créatures qui vous menacent.",
     5, 45, 22, 40, {0.55f, 0.85f, 0.85f}},
    {"Colère du soleil",
     "Un éclat de soleil, plus lent à former qu'un trait de lune mais bien plus fort : 180 % des dégâts.", 2, 4, 37,
     20, {1.0f, 0.8f, 0.3f}},
    {"Régénération", "La sève de Tervanne vous parcourt : 4 % de vos points de vie rendus chaque seconde pendant 12 s.",
     4, 15, 38, 25, {0.5f, 0.85f, 0.3f}},
    {"Essaim de lucioles",
     "Un essaim de lucioles ardentes harcèle la cible : 40 % des dégâts chaque seconde pendant 8 s.", 7, 10, 39, 30,
     {0.95f, 0.9f, 0.4f}},
    {"Courroux de Tervanne",
     "La terre se soulève autour de vous (7 m) : 150 % des dégâts à chaque créature, repoussée et sonnée 1 s.", 10,
     18, 40, 45, {0.4f, 0.75f, 0.45f}},
    {"Bénédiction de Viviane", "La Dame du Lac veille sur vous : 60 % de vos points de vie rendus d'un coup.", 14,
     45, 41, 60, {0.45f, 0.7f, 1.0f}},
};
