// The item catalogue: every item of the game, built into the program. Row 0
// is "no item". Colours are as they look on screen (icon body, worn cloth,
// leather or metal), the accent trims them.
#include "play/items.h"

namespace {

// Looks shared by many rows.
constexpr Vec3 NONE = {0.0f, 0.0f, 0.0f};
constexpr Vec3 LINEN = {0.82f, 0.76f, 0.62f};
constexpr Vec3 WOOL = {0.52f, 0.44f, 0.34f};
constexpr Vec3 FOREST = {0.26f, 0.42f, 0.22f};
constexpr Vec3 LEATHER = {0.48f, 0.32f, 0.18f};
constexpr Vec3 DARK_LEATHER = {0.30f, 0.20f, 0.12f};
constexpr Vec3 IRON = {0.56f, 0.57f, 0.60f};
constexpr Vec3 RUST = {0.56f, 0.34f, 0.20f};
constexpr Vec3 BRONZE = {0.74f, 0.52f, 0.26f};
constexpr Vec3 COPPER = {0.78f, 0.46f, 0.30f};
constexpr Vec3 GOLD = {0.88f, 0.72f, 0.30f};
constexpr Vec3 SILVER = {0.82f, 0.84f, 0.88f};
constexpr Vec3 BLACK_IRON = {0.22f, 0.22f, 0.26f};
constexpr Vec3 GREY_FUR = {0.55f, 0.55f, 0.53f};
constexpr Vec3 BROWN_FUR = {0.40f, 0.27f, 0.17f};
constexpr Vec3 WHITE_FUR = {0.90f, 0.90f, 0.86f};
constexpr Vec3 GREEN_KNIGHT = {0.20f, 0.56f, 0.26f};
constexpr Vec3 ROYAL_BLUE = {0.20f, 0.30f, 0.66f};
constexpr Vec3 CRIMSON = {0.66f, 0.14f, 0.12f};
constexpr Vec3 VAL_VIOLET = {0.42f, 0.26f, 0.52f};
constexpr Vec3 BONE = {0.86f, 0.82f, 0.70f};
constexpr Vec3 LAKE = {0.45f, 0.70f, 0.90f};
constexpr Vec3 JET = {0.10f, 0.10f, 0.12f};
constexpr Vec3 HEAL_RED = {0.85f, 0.20f, 0.18f};
constexpr Vec3 MANA_BLUE = {0.30f, 0.45f, 0.95f};
constexpr Vec3 HOLLY = {0.16f, 0.40f, 0.18f};
constexpr Vec3 MOON = {0.70f, 0.74f, 0.92f};
constexpr Vec3 WOOD = {0.55f, 0.38f, 0.20f};

enum : uint32_t {
    HEAD = 0, SHOULDERS = 1, NECK = 2, CHEST = 3, HANDS = 4, WRISTS = 5, WAIST = 6, FINGER = 7, LEGS = 8, FEET = 9,
    MISC = 10, MATERIAL = 11, POTION = 13, HERB = 24, ORE = 25, WEAPON = 26,
};
enum : uint32_t { M_NONE = 0, CLOTH = 1, LEATHERM = 2, METAL = 3, FUR = 4 };

}  // namespace

// name, kind, quality, material, colour, accent, armour, endurance, agility,
// description, damage bonus, icon, class, reserved
const ItemDef item_defs[ITEM_LAST + 1] = {
    {"", 0, 0, 0, NONE, NONE, 0, 0, 0, nullptr, 0, 0, 0, 0},
    {"Tunique de forestier", CHEST, 2, CLOTH, FOREST, LEATHER, 12, 2, 1, "Tissée de vert pour se fondre sous les chênes.", 0, 0, 0, 0},
    {"Épaulières de chasseur", SHOULDERS, 2, LEATHERM, LEATHER, FOREST, 8, 1, 1, "Le cuir garde la trace des sangles du carquois.", 0, 0, 0, 0},
    {"Pendentif de Viviane", NECK, 3, METAL, LAKE, SILVER, 0, 2, 3, "Une goutte d'eau du lac y tremble encore.", 0, 0, 0, 0},
    {"Ceinture de cuir", WAIST, 1, LEATHERM, LEATHER, BRONZE, 3, 0, 0, nullptr, 0, 0, 0, 0},
    {"Brassards de cuir", WRISTS, 1, LEATHERM, LEATHER, DARK_LEATHER, 3, 0, 1, nullptr, 0, 0, 0, 0},
    {"Braies de laine", LEGS, 1, CLOTH, WOOL, LEATHER, 4, 0, 0, nullptr, 0, 0, 0, 0},
    {"Bottes de marche", FEET, 1, LEATHERM, DARK_LEATHER, LEATHER, 4, 0, 0, nullptr, 0, 0, 0, 0},
    {"Gants d'archer", HANDS, 2, LEATHERM, LEATHER, FOREST, 3, 0, 2, "Deux doigts renforcés pour tendre la corde.", 0, 0, 0, 0},
    {"Anneau de cuivre", FINGER, 1, METAL, COPPER, COPPER, 0, 1, 0, nullptr, 0, 0, 0, 0},
    {"Défense de sanglier", MISC, 0, M_NONE, BONE, LEATHER, 0, 0, 0, "Un marchand en donnera quelques deniers.", 0, 0, 0, 0},
    {"Cuir de sanglier", MATERIAL, 1, M_NONE, LEATHER, DARK_LEATHER, 0, 0, 0, "Épais et rêche, bon pour le tanneur.", 0, 0, 0, 0},
    {"Casque de pillard rouillé", HEAD, 1, METAL, RUST, IRON, 6, 1, 0, "La rouille n'a pas encore percé le crâne.", 0, 0, 0, 0},
    {"Gantelets cloutés", HANDS, 1, LEATHERM, DARK_LEATHER, IRON, 5, 1, 0, nullptr, 0, 0, 0, 0},
    {"Jambières de mailles", LEGS, 2, METAL, IRON, LEATHER, 12, 2, 0, "Elles tintent à chaque pas.", 0, 0, 0, 0},
    {"Bottes de pillard", FEET, 1, LEATHERM, DARK_LEATHER, RUST, 5, 0, 1, nullptr, 0, 0, 0, 0},
    {"Ceinture à boucle de bronze", WAIST, 2, LEATHERM, LEATHER, BRONZE, 4, 2, 0, "La boucle porte un sanglier gravé.", 0, 0, 0, 0},
    {"Brassards de fer", WRISTS, 2, METAL, IRON, LEATHER, 6, 1, 0, nullptr, 0, 0, 0, 0},
    {"Spallières de fer", SHOULDERS, 2, METAL, IRON, DARK_LEATHER, 12, 2, 0, "Lourdes, mais une hache y glisse.", 0, 0, 0, 0},
    {"Cotte de mailles du pillard", CHEST, 3, METAL, IRON, RUST, 24, 4, 0, "Reprisée cent fois, jamais percée.", 0, 0, 0, 0},
    {"Collier de crocs", NECK, 2, METAL, BONE, LEATHER, 0, 1, 2, "Chaque croc, une bête vaincue.", 0, 0, 0, 0},
    {"Anneau du pillard", FINGER, 2, METAL, BRONZE, RUST, 0, 1, 2, "Volé, sans doute, à plus riche que lui.", 0, 0, 0, 0},
    {"Anneau du sénéchal", FINGER, 3, METAL, GOLD, ROYAL_BLUE, 0, 3, 3, "Sire Keu ne le donne pas à n'importe qui.", 0, 0, 0, 0},
    {"Heaume de Camelot", HEAD, 4, METAL, SILVER, ROYAL_BLUE, 18, 4, 2, "Forgé pour les gardes du roi Arthur.", 0, 0, 0, 0},
    {"Tunique de lin", CHEST, 1, CLOTH, LINEN, WOOL, 3, 0, 0, nullptr, 0, 0, 0, 0},
    {"Os rongé", MISC, 0, M_NONE, BONE, BONE, 0, 0, 0, "Il n'en reste pas grand-chose.", 0, 0, 0, 0},
    {"Potion de soin mineure", POTION, 1, M_NONE, HEAL_RED, LINEN, 0, 0, 0, "Rend 60 points de vie.", 0, 0, 0, 0},
    {"Potion de soin", POTION, 2, M_NONE, HEAL_RED, GOLD, 0, 0, 0, "Rend 160 points de vie.", 0, 0, 0, 0},
    {"Bottes du chef pillard", FEET, 3, LEATHERM, DARK_LEATHER, CRIMSON, 10, 3, 2, "Elles ont fui plus d'une embuscade.", 0, 0, 0, 0},
    {"Ceinturon de Grognard", WAIST, 3, LEATHERM, LEATHER, IRON, 7, 4, 1, "Large comme la panse de son ancien maître.", 0, 0, 0, 0},
    {"Mantelet en peau de loup", SHOULDERS, 4, FUR, GREY_FUR, LEATHER, 16, 5, 3, "Le loup s'en souvient encore.", 0, 0, 0, 0},
    {"Chevalière du chef", FINGER, 4, METAL, GOLD, CRIMSON, 0, 4, 4, "Le sceau d'une bande qui n'est plus.", 0, 0, 0, 0},
    {"Gantelets de la Dame", HANDS, 4, METAL, SILVER, LAKE, 9, 2, 5, "Ils ne prennent jamais l'humidité.", 0, 0, 0, 0},
    {"Larme du Lac", NECK, 4, METAL, LAKE, SILVER, 0, 5, 4, "La Dame l'a pleurée pour un chevalier perdu.", 0, 0, 0, 0},
    {"Tunique de chasseur", CHEST, 2, LEATHERM, LEATHER, FOREST, 14, 2, 2, "Souple et silencieuse dans les fourrés.", 0, 0, 0, 0},
    {"Capuche de brigand", HEAD, 2, CLOTH, DARK_LEATHER, CRIMSON, 8, 2, 3, "Elle cache le visage mieux que la conscience.", 0, 0, 0, 0},
    {"Pourpoint de cuir clouté", CHEST, 3, LEATHERM, DARK_LEATHER, IRON, 30, 5, 4, nullptr, 0, 0, 0, 0},
    {"Mitaines du braconnier", HANDS, 2, LEATHERM, LEATHER, WOOL, 7, 1, 4, "Les doigts libres pour poser les collets.", 0, 0, 0, 0},
    {"Jambières de cuir bouilli", LEGS, 2, LEATHERM, LEATHER, DARK_LEATHER, 16, 3, 2, nullptr, 0, 0, 0, 0},
    {"Bottes du rôdeur", FEET, 3, LEATHERM, DARK_LEATHER, FOREST, 13, 3, 4, "Elles ne laissent presque pas de traces.", 0, 0, 0, 0},
    {"Collier de l'alpha", NECK, 3, METAL, BONE, GREY_FUR, 0, 4, 4, "Le chef de meute le portait au cou.", 0, 0, 0, 0},
    {"Fourrure de loup", MATERIAL, 1, M_NONE, GREY_FUR, WHITE_FUR, 0, 0, 0, "Chaude et grise, recherchée l'hiver.", 0, 0, 0, 0},
    {"Croc de loup", MISC, 0, M_NONE, BONE, GREY_FUR, 0, 0, 0, "Encore pointu.", 0, 0, 0, 0},
    {"Brassards d'os", WRISTS, 3, METAL, BONE, JET, 13, 4, 3, "Taillés dans les os d'un ancien gardien.", 0, 0, 0, 0},
    {"Spallières du chevalier félon", SHOULDERS, 3, METAL, BLACK_IRON, CRIMSON, 22, 4, 3, nullptr, 0, 0, 0, 0},
    {"Anneau de jais", FINGER, 3, METAL, JET, SILVER, 0, 4, 5, "Il boit la lumière des torches.", 0, 0, 0, 0},
    {"Ceinture du gardien", WAIST, 3, METAL, IRON, BONE, 11, 4, 3, nullptr, 0, 0, 0, 0},
    {"Poussière d'os", MISC, 0, M_NONE, BONE, BONE, 0, 0, 0, "Les alchimistes en achètent, dit-on.", 0, 0, 0, 0},
    {"Heaume du Val sans Retour", HEAD, 4, METAL, VAL_VIOLET, SILVER, 28, 6, 5, "Du Val sans Retour, nul ne revient... sauf vous.", 0, 0, 0, 0},
    {"Cuirasse du Val sans Retour", CHEST, 4, METAL, VAL_VIOLET, SILVER, 42, 7, 6, "Morgane y a mis un charme qu'elle n'a pas défait.", 0, 0, 0, 0},
    {"Jambières du Val sans Retour", LEGS, 4, METAL, VAL_VIOLET, SILVER, 32, 6, 5, nullptr, 0, 0, 0, 0},
    {"Solerets du Val sans Retour", FEET, 4, METAL, VAL_VIOLET, SILVER, 22, 5, 5, nullptr, 0, 0, 0, 0},
    {"Gantelets du Val sans Retour", HANDS, 4, METAL, VAL_VIOLET, SILVER, 17, 5, 6, nullptr, 0, 0, 0, 0},
    {"Anneau de Morgane", FINGER, 4, METAL, VAL_VIOLET, GOLD, 0, 7, 7, "Il murmure quand on l'ôte.", 0, 0, 0, 0},
    {"Pèlerine de Gueule-Grise", SHOULDERS, 4, FUR, GREY_FUR, BLACK_IRON, 20, 5, 5, "La peau du loup qui terrorisait les bergers.", 0, 0, 0, 0},
    {"Chevalière au lion", FINGER, 4, METAL, GOLD, CRIMSON, 0, 6, 6, "Le lion d'Yvain, dit la légende.", 0, 0, 0, 0},
    {"Amulette de Blaise", NECK, 4, METAL, SILVER, MOON, 0, 6, 6, "Le vieux clerc y a écrit un secret.", 0, 0, 0, 0},
    {"Chaperon de Gaudin", HEAD, 3, CLOTH, CRIMSON, DARK_LEATHER, 12, 4, 4, "Rouge comme la réputation de Gaudin.", 0, 0, 0, 0},
    {"Gants du coupe-bourse", HANDS, 3, LEATHERM, DARK_LEATHER, JET, 10, 3, 5, "Fins comme une seconde peau.", 0, 0, 0, 0},
    {"Ceinture d'Ossian", WAIST, 3, METAL, BONE, BLACK_IRON, 12, 5, 4, "Ossian y pendait les clés des cryptes.", 0, 0, 0, 0},
    {"Cuissardes en peau de loup", LEGS, 3, FUR, GREY_FUR, LEATHER, 18, 4, 4, nullptr, 0, 0, 0, 0},
    {"Sauge des bois", HERB, 1, M_NONE, {0.45f, 0.62f, 0.40f}, {0.70f, 0.80f, 0.60f}, 0, 0, 0, "Elle pousse à l'ombre des chênes.", 0, 0, 0, 0},
    {"Fleur de lune", HERB, 2, M_NONE, MOON, {0.95f, 0.95f, 1.0f}, 0, 0, 0, "Elle ne s'ouvre que la nuit.", 0, 0, 0, 0},
    {"Racine de mandragore", HERB, 3, M_NONE, {0.60f, 0.45f, 0.30f}, {0.35f, 0.50f, 0.25f}, 0, 0, 0, "Elle crie, dit-on, quand on l'arrache.", 0, 0, 0, 0},
    {"Minerai de cuivre", ORE, 1, M_NONE, COPPER, {0.35f, 0.30f, 0.28f}, 0, 0, 0, "Une roche veinée de rouge.", 0, 0, 0, 0},
    {"Minerai de fer", ORE, 2, M_NONE, {0.45f, 0.42f, 0.42f}, RUST, 0, 0, 0, "Lourd et sombre, la forge l'attend.", 0, 0, 0, 0},
    {"Élixir de mana", POTION, 2, M_NONE, MANA_BLUE, SILVER, 0, 0, 0, "Rend 80 points de mana à un druide.", 0, 0, 0, 0},
    {"Arc de chasse gainé", WEAPON, 2, LEATHERM, WOOD, LEATHER, 0, 0, 1, "Un bon arc de tous les jours.", 8, 14, 1, 0},
    {"Arc long du forestier", WEAPON, 3, LEATHERM, {0.45f, 0.30f, 0.16f}, FOREST, 0, 2, 3, "Il porte plus loin que l'œil.", 16, 14, 1, 0},
    {"Épée de fer", WEAPON, 2, METAL, IRON, LEATHER, 0, 1, 0, nullptr, 8, 17, 2, 0},
    {"Épée du chevalier", WEAPON, 3, METAL, SILVER, GOLD, 0, 3, 2, "Une lame digne d'un serment.", 16, 17, 2, 0},
    {"Bâton de sauge", WEAPON, 2, LEATHERM, WOOD, {0.45f, 0.62f, 0.40f}, 0, 1, 1, "Il sent encore la sauge.", 8, 23, 3, 0},
    {"Bâton de lune", WEAPON, 3, LEATHERM, {0.62f, 0.58f, 0.66f}, MOON, 0, 3, 2, "Il luit faiblement sous les étoiles.", 16, 23, 3, 0},
    {"Bottes du coureur des bois", FEET, 2, LEATHERM, LEATHER, FOREST, 9, 1, 3, nullptr, 0, 0, 0, 0},
    {"Peau d'ours", MATERIAL, 2, M_NONE, BROWN_FUR, DARK_LEATHER, 0, 0, 0, "Lourde, épaisse et précieuse.", 0, 0, 0, 0},
    {"Griffe d'ours", MISC, 0, M_NONE, JET, BONE, 0, 0, 0, "Longue comme un doigt.", 0, 0, 0, 0},
    {"Blason brisé", MISC, 0, M_NONE, CRIMSON, BLACK_IRON, 0, 0, 0, "Les armes d'un chevalier qui a trahi.", 0, 0, 0, 0},
    {"Heaume du félon", HEAD, 3, METAL, BLACK_IRON, CRIMSON, 26, 6, 4, nullptr, 0, 0, 0, 0},
    {"Haubert noirci", CHEST, 3, METAL, BLACK_IRON, RUST, 46, 8, 5, "Noirci au feu d'un village pillé.", 0, 0, 0, 0},
    {"Grèves de fer noir", LEGS, 2, METAL, BLACK_IRON, IRON, 28, 5, 3, nullptr, 0, 0, 0, 0},
    {"Gantelets du félon", HANDS, 2, METAL, BLACK_IRON, CRIMSON, 15, 3, 5, nullptr, 0, 0, 0, 0},
    {"Mantelet en peau d'ours", SHOULDERS, 3, FUR, BROWN_FUR, LEATHER, 28, 7, 4, "Il pèse autant qu'un ourson.", 0, 0, 0, 0},
    {"Bottes fourrées de la Gaste", FEET, 2, FUR, BROWN_FUR, WHITE_FUR, 18, 4, 4, "Le froid des Gastes n'y entre pas.", 0, 0, 0, 0},
    {"Brassards de houx", WRISTS, 3, LEATHERM, HOLLY, CRIMSON, 17, 5, 6, "Le houx garde ses feuilles en hiver.", 0, 0, 0, 0},
    {"Anneau de la Gaste", FINGER, 3, METAL, IRON, WHITE_FUR, 0, 6, 7, nullptr, 0, 0, 0, 0},
    {"Collier de griffes d'ours", NECK, 2, METAL, JET, BROWN_FUR, 0, 4, 6, nullptr, 0, 0, 0, 0},
    {"Potion de soin majeure", POTION, 3, M_NONE, HEAL_RED, SILVER, 0, 0, 0, "Rend 320 points de vie.", 0, 0, 0, 0},
    {"Bottes du pèlerin", FEET, 3, LEATHERM, WOOL, LEATHER, 22, 6, 6, "Elles ont vu toutes les chapelles du royaume.", 0, 0, 0, 0},
    {"Pentacle de Gauvain", NECK, 4, METAL, GOLD, GREEN_KNIGHT, 0, 9, 8, "Cinq vertus, cinq pointes, un seul chevalier.", 0, 0, 0, 0},
    {"Spallières de Camelot", SHOULDERS, 4, METAL, SILVER, ROYAL_BLUE, 36, 8, 7, nullptr, 0, 0, 0, 0},
    {"Ceinture verte", WAIST, 4, CLOTH, GREEN_KNIGHT, GOLD, 20, 12, 8, "Qui la porte ne peut être tué, dit la dame.", 0, 0, 0, 0},
    {"Heaume de la Chapelle Verte", HEAD, 4, METAL, GREEN_KNIGHT, GOLD, 34, 9, 7, nullptr, 0, 0, 0, 0},
    {"Jambières du Chevalier Vert", LEGS, 4, METAL, GREEN_KNIGHT, GOLD, 40, 9, 8, nullptr, 0, 0, 0, 0},
    {"Arc de houx vert", WEAPON, 4, LEATHERM, HOLLY, GOLD, 0, 5, 7, "Taillé dans le houx de la Chapelle Verte.", 28, 14, 1, 0},
    {"Hache du Chevalier Vert", WEAPON, 4, METAL, GREEN_KNIGHT, SILVER, 0, 7, 5, "Elle a tranché une tête qui s'est relevée.", 28, 17, 2, 0},
    {"Bâton de la Chapelle", WEAPON, 4, LEATHERM, HOLLY, GOLD, 0, 6, 6, "Le lierre y pousse encore.", 28, 23, 3, 0},
    {"Éclat de pierre féerique", MISC, 1, M_NONE, LAKE, SILVER, 0, 0, 0, "Il brille d'une lueur qui n'est pas d'ici.", 0, 0, 0, 0},
    {"Lettre scellée de Morgane", MISC, 2, M_NONE, LINEN, VAL_VIOLET, 0, 0, 0, "Le sceau de cire violette est intact.", 0, 0, 0, 0},
    {"Sac de grain", MISC, 1, M_NONE, WOOL, LINEN, 0, 0, 0, "Le blé volé d'un fermier du Gué.", 0, 0, 0, 0},
    {"Anneau funéraire", MISC, 1, M_NONE, BRONZE, JET, 0, 0, 0, "Pris à un mort qui le réclame.", 0, 0, 0, 0},
    {"Bottes de laboureur", FEET, 1, LEATHERM, LEATHER, WOOL, 6, 1, 1, nullptr, 0, 0, 0, 0},
    {"Brassards du Gué", WRISTS, 2, LEATHERM, LEATHER, LAKE, 8, 2, 2, nullptr, 0, 0, 0, 0},
    {"Collier de crocs noirs", NECK, 3, METAL, JET, BONE, 0, 3, 4, "Les crocs d'un loup qui ne craignait rien.", 0, 0, 0, 0},
    {"Anneau de la Table Ronde", FINGER, 3, METAL, GOLD, ROYAL_BLUE, 0, 4, 4, "Rond, comme la table où tous sont égaux.", 0, 0, 0, 0},
    {"Épaulières de la garde royale", SHOULDERS, 3, METAL, SILVER, ROYAL_BLUE, 14, 3, 3, nullptr, 0, 0, 0, 0},
    {"Tabard de Camelot", CHEST, 3, CLOTH, ROYAL_BLUE, GOLD, 24, 4, 3, "Aux couleurs du roi.", 0, 0, 0, 0},
    {"Anneau de Pendragon", FINGER, 4, METAL, GOLD, CRIMSON, 0, 6, 6, "Le dragon d'Uther s'y enroule.", 0, 0, 0, 0},
    {"Brassards de l'ermite", WRISTS, 3, LEATHERM, WOOL, LEATHER, 21, 7, 6, "L'ermite les a cousus de ses mains.", 0, 0, 0, 0},
    {"Ceinture funéraire", WAIST, 3, LEATHERM, JET, BRONZE, 24, 8, 6, "On l'a ôtée à un gisant.", 0, 0, 0, 0},
    {"Couronne du roi Rion", HEAD, 4, METAL, GOLD, CRIMSON, 40, 12, 9, "Le roi Rion voulait y coudre la barbe d'Arthur.", 0, 0, 0, 0},
    {"Gants de chasse de Perceval", HANDS, 3, LEATHERM, LEATHER, WHITE_FUR, 20, 7, 9, "Perceval les avait oubliés au gué.", 0, 0, 0, 0},
    {"Pèlerine de Blanchecrins", SHOULDERS, 4, FUR, WHITE_FUR, SILVER, 42, 11, 10, "Blanche comme la neige des Gastes.", 0, 0, 0, 0},
    {"Heaume de la Lune noire", HEAD, 3, METAL, JET, MOON, 18, 4, 3, nullptr, 0, 0, 0, 0},
    {"Haubert de la Lune noire", CHEST, 3, METAL, JET, MOON, 30, 5, 4, "Sire Brian le portait aux nuits sans lune.", 0, 0, 0, 0},
};
