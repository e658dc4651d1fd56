// The quest content: the nine givers, Sire Keu and Viviane with their
// quests, and the lines of the townsfolk of Camelot.
#include <cmath>

#include "content/quests.h"
#include "play/creatures.h"

namespace {

constexpr float HALF_PI = 1.57079632679f;

const char* const DODINEL_LOW =
    "Reviens me voir quand tu auras atteint le niveau %d, {classe} : les loups de ce bois ne font pas de cadeau.";
const char* const YVAIN_LOW =
    "Tu es brave, {classe}, mais ces brigands te mettraient en pièces. Reviens quand tu auras atteint le niveau %d.";
const char* const BLAISE_LOW =
    "La lande est dangereuse pour qui n'a pas atteint le niveau %d, {classe}. Reviens plus tard, je ne bouge guère.";
const char* const GAUVAIN_LOW =
    "La Gaste Forêt n'est pas un lieu pour qui n'a pas atteint le niveau %d, ami{|e}. Reviens quand tu seras plus "
    "aguerri{|e} : je t'attendrai ici.";
const char* const ARTHUR_LOW =
    "Tu es vaillant{|e}, mais pas encore prêt{|e}. Reviens me voir quand tu auras atteint le niveau %d : Tervanne "
    "t'aura "
    "appris ce que je ne peux t'enseigner.\n\nVa trouver Sire Keu, mon sénéchal : il se tient à la grande porte de "
    "la ville. Et Hugues, le prévôt de Gué-Fleuri, un hameau tout proche au sud-est de Camelot, a bien besoin "
    "d'aide.";
const char* const HUGUES_LOW =
    "Tu es bien jeune, voyage{ur|use}. Reviens quand tu auras atteint le niveau %d : je ne veux pas avoir ta mort sur "
    "la "
    "conscience.";
const char* const OGRIN_LOW =
    "Les morts de ce cimetière ne pardonnent pas aux vivants trop jeunes. Reviens quand tu auras atteint le niveau "
    "%d, mon enfant.";
const char* const PERCEVAL_LOW =
    "Tu veux chasser les loups noirs ? Ils te dévoreraient tout cru. Reviens quand tu auras atteint le niveau %d, et "
    "on chassera ensemble !";
const char* const LADY_LOW =
    "Une autre épreuve t'attend, {classe}, mais tu n'es pas encore prêt{|e}. Reviens me voir quand tu auras "
    "atteint le niveau %d.\n\nEn attendant, d'autres ont besoin d'{un bon|une bonne} {classe} : Sire Dodinel "
    "chasse les loups au sud-ouest, Sire Yvain guette les brigands à l'est du lac, et Blaise l'ermite veille sur "
    "la lande, au nord.";
const char* const LADY_DONE =
    "Ton cœur est droit, {classe}. Un jour, le roi viendra chercher l'épée dans le roc… et tu seras à ses côtés.";
const char* const KEU_DONE =
    "Grâce à toi, Camelot fêtera la Pentecôte en paix.\n\nOn dit que Viviane, la Dame du Lac, te fait demander. "
    "Elle t'attend sur la rive du lac.";
// Galeschin's only quest needs level 1, so this is never shown; it keeps the
// table whole.
const char* const GALESCHIN_LOW = "Reviens me voir quand tu auras atteint le niveau %d.";

}  // namespace

// name, objective, kill type, boss, item, count, experience, reward, level,
// offer, progress, completion, tracker, area x, z, radius, turn-in.
const GiverDef quest_givers[QUEST_FIGURE_COUNT] = {
    {"Sire Dodinel le Sauvage", "Sire Dodinel", "Veneur du roi", "dodinel", "au bord du bois des loups",
     DODINEL_LOW,
     "Le bois est calme, {classe}, et la meute se tait. Je chasse en paix grâce à toi : reviens boire un coup au "
     "retour d'une traque.",
     2,
     {{"La meute du bois", "Loups gris abattus", SP_WOLF, 0, 0, 8, 1600, 39, 6,
       "Les loups gris sont trop nombreux cette saison, {classe}. Ils ont égorgé deux chiens de la meute du roi et "
       "rôdent jusqu'au chemin. Abats-en huit, que le bois redevienne un lieu de chasse et non de curée.",
       "Encore %d loup%s, {classe}. Leur repaire est entre les rochers, au bout du sentier.",
       "Huit loups ! Le bois respire mieux, et mes chiens aussi. Prends ces bottes : elles ont couru plus d'une "
       "traque, elles t'en feront courir d'autres.",
       "Le bois des loups, au sud-ouest", 0, 0, 0, 0, false},
      {"Gueule-Grise", "Gueule-Grise abattu", QUEST_KILL_NONE, ELITE_GUEULE_GRISE, 0, 1, 1800, 54, 7,
       "La meute a un chef, {classe} : Gueule-Grise, un vieux loup au museau blanchi, plus gros qu'un veau. Tant "
       "qu'il vivra, d'autres loups viendront se ranger derrière lui. Va le trouver dans son repaire et abats-le.",
       "Gueule-Grise rôde toujours autour du repaire, {classe}.",
       "Gueule-Grise est tombé ? Alors la meute est brisée. Cette pèlerine a été taillée dans sa fourrure grise : "
       "porte-la, tu l'as gagnée.",
       "Repaire des loups, au sud-ouest", 0, 0, 0, 0, false}},
     {{0.28f, 0.36f, 0.2f}, {0.36f, 0.26f, 0.16f}, {0.62f, 0.52f, 0.3f}, {0.3f, 0.22f, 0.14f}, {0.2f, 0.14f, 0.1f}},
     {0, 0, 2}, 163.95f, -128.15f, false, std::atan2(0.0248f, 1.2204f)},
    {"Sire Yvain", "Sire Yvain", "Chevalier au lion", "yvain", "sur le chemin de l'est", YVAIN_LOW,
     "Le chemin de l'est est sûr, {classe}, et les marchands y passent en chantant. Mon lion et moi te devons bien "
     "cela.",
     2,
     {{"Les brigands du Val", "Brigands abattus", SP_BRIGAND, 0, 0, 8, 2200, 36, 7,
       "Des brigands ont dressé leur camp à l'est du lac, {classe}. Ils détroussent les voyageurs et pendent ceux qui "
       "résistent. Abats-en huit : qu'ils apprennent que ce chemin est gardé.",
       "Encore %d brigand%s, {classe}. Leur camp est droit vers l'est.",
       "Huit brigands de moins sur le chemin. Les voyageurs te béniront sans savoir ton nom. Prends ce pourpoint "
       "clouté : il arrête mieux un couteau qu'une prière.",
       "Camp des brigands, à l'est du lac", 0, 0, 0, 0, false},
      {"Gaudin le Rouge", "Gaudin le Rouge abattu", QUEST_KILL_NONE, ELITE_GAUDIN, 0, 1, 2400, 55, 8,
       "Leur chef s'appelle Gaudin le Rouge, pour le sang qu'il a versé. Il tient encore le camp avec les plus "
       "hardis de sa bande. Va et mets fin à son règne, {classe}.",
       "Gaudin le Rouge tient toujours son camp, {classe}.",
       "Gaudin le Rouge est mort, et sa bande s'est dispersée. Porte cette chevalière au lion : qui la voit saura "
       "que tu as combattu à mes côtés.",
       "Camp des brigands, à l'est du lac", 0, 0, 0, 0, false}},
     {{0.55f, 0.45f, 0.18f}, {0.6f, 0.14f, 0.12f}, {0.85f, 0.7f, 0.25f}, {0.52f, 0.36f, 0.18f}, {0.3f, 0.2f, 0.12f}},
     {0, 0, 1}, -182.26f, -60.76f, false, std::atan2(-0.3026f, 1.1825f)},
    {"Blaise l'ermite", "Blaise l'ermite", "Maître de Merlin", "blaise", "au bord de la lande", BLAISE_LOW,
     "La lande dort, {classe}, et les morts ne remuent plus. J'écrirai ton nom dans mon livre, à côté de celui de "
     "Merlin.",
     2,
     {{"Le gardien du seuil", "Ossian abattu", QUEST_KILL_NONE, ELITE_OSSIAN, 0, 1, 2600, 56, 9,
       "Devant la caverne, au nord de la lande, un capitaine d'os monte la garde : Ossian. Jadis il servait Bréhus "
       "sans Pitié ; la mort ne l'a pas guéri de sa fidélité. Brise-le, {classe}, et le seuil sera libre.",
       "Ossian garde toujours le seuil, devant la caverne, au nord de la lande.",
       "Ossian n'est plus que poussière. Cette amulette, je l'ai gravée moi-même il y a bien longtemps : elle "
       "garde celui qui la porte des mauvais esprits.",
       "Devant la caverne, au nord de la lande", 0, 0, 0, 0, false},
      {"La poussière des morts", "Poussière d'os", QUEST_KILL_NONE, 0, 47, 10, 1500, 27, 9,
       "Pour mes onguents, il me faut de la poussière d'os, {classe} : dix poignées. Les squelettes de la caverne et "
       "des catacombes en sont faits ; ils ne la regretteront pas.",
       "Il me faut encore %d poignée%s de poussière d'os, {classe}.",
       "Dix poignées, bien sèches. Mes onguents soigneront plus d'un blessé. Voici une potion de soin, tirée de la "
       "même marmite.",
       "Squelettes de la caverne et des catacombes", 0, 0, 0, 0, false}},
     {{0.42f, 0.38f, 0.32f}, {0.3f, 0.28f, 0.24f}, {0.55f, 0.5f, 0.42f}, {0.85f, 0.85f, 0.82f}, {0.35f, 0.25f, 0.15f}},
     {0, 2, 2}, 17.50f, 205.43f, false, std::atan2(-1.17f, -0.3479f)},
    {"Sire Gauvain", "Sire Gauvain", "Neveu du roi Arthur", "gauvain", "à l'orée de la Gaste Forêt", GAUVAIN_LOW,
     "La Gaste Forêt te connaît désormais, ami{|e}, et ses ennemis te craignent. Mon oncle saura ce que tu as fait "
     "ici.",
     4,
     {{"Les ours de la Gaste", "Ours abattus", SP_BEAR, 0, 0, 8, 3000, 87, 11,
       "Les ours de la Gaste sont descendus de leur tanière, ami{|e}, et ils attaquent les pèlerins sur la route. "
       "Abats-en "
       "huit, que la route redevienne praticable.",
       "Encore %d ours, ami{|e}. Leur tanière est à l'est, entre les gros rochers.",
       "Huit ours ! Les pèlerins passeront sans crainte. Prends ces bottes : elles ont fait la route de Compostelle, "
       "elles feront bien celle de la Gaste.",
       "Tanière des ours, à l'est de la Gaste", 0, 0, 0, 0, false},
      {"Les félons de Morgane", "Chevaliers félons abattus", SP_FELON, 0, 0, 8, 3600, 88, 13,
       "Des chevaliers ont renié leur serment pour servir Morgane. Ils campent à l'ouest de la Gaste, derrière une "
       "palissade de pieux. Abats-en huit, ami{|e} : la honte de la Table Ronde doit être lavée.",
       "Encore %d félon%s, ami{|e}. Leur camp est à l'ouest, derrière la palissade de pieux.",
       "Huit félons ont payé leur trahison. Porte ce pentacle : c'est le signe de ma maison, et des cinq vertus du "
       "chevalier.",
       "Camp des félons, à l'ouest de la Gaste", 0, 0, 0, 0, false},
      {"Les blasons brisés", "Blasons brisés", QUEST_KILL_NONE, 0, 76, 8, 3200, 89, 14,
       "Les félons portent encore les blasons des maisons qu'ils ont trahies. Rapporte-m'en huit, ami{|e} : je les "
       "rendrai aux familles, qu'elles sachent la vérité.",
       "Il me manque encore %d blason%s, ami{|e}. Les félons les gardent sur eux.",
       "Huit blasons brisés. Chacun est une maison en deuil, mais en deuil de la vérité. Prends ces spallières de "
       "Camelot : tu les mérites plus que ceux qui les portaient.",
       "Camp des félons, à l'ouest de la Gaste", 0, 0, 0, 0, false},
      {"Le Chevalier Vert", "Chevalier Vert abattu", QUEST_KILL_NONE, ELITE_GREEN_KNIGHT, 0, 1, 6500, 90, 16,
       "Un chevalier tout de vert vêtu attend dans le cercle de pierres de la Chapelle Verte. On dit qu'il se relève "
       "quand on lui tranche la tête. Je lui dois un coup, ami{|e}, mais c'est toi qu'il attend désormais. Va, et "
       "abats-le pour de bon.",
       "Le Chevalier Vert attend toujours dans le cercle de pierres de la Chapelle, au sud de la forêt.",
       "Le Chevalier Vert est tombé, et ne s'est pas relevé. Prends sa ceinture verte : on dit qu'elle garde de la "
       "mort celui qui la noue.",
       "La Chapelle Verte, au sud de la Gaste", 0, 0, 0, 0, false}},
     {{0.2f, 0.3f, 0.62f}, {0.75f, 0.65f, 0.25f}, {0.9f, 0.8f, 0.3f}, {0.65f, 0.42f, 0.2f}, {0.3f, 0.2f, 0.12f}},
     {0, 0, 1}, -4, -585, false, std::atan2(1.0f, 0.7f)},
    {"Galeschin le héraut", "Galeschin", "Héraut du roi Arthur", "heraut", "devant le château de Camelot",
     GALESCHIN_LOW,
     "Le roi t'a reçu{|e}, voyage{ur|use} ! Camelot a toujours besoin de bras : écoute ce que disent les gens de la "
     "ville.",
     1,
     {{"L'appel de Camelot", "Parler au roi Arthur, à Camelot", QUEST_TALK, 0, 0, 1, 250, 27, 1,
       "Oyez, voyage{ur|use} ! Le roi Arthur veut voir de ses yeux ceux qui arrivent à Camelot. Entre au château, "
       "juste "
       "derrière moi : il tient sa cour dans la grande cour.",
       "Le roi Arthur t'attend dans la cour du château, juste derrière cette porte.",
       "Te voilà donc, voyage{ur|use}. Galeschin m'a dit ton arrivée. Tervanne a besoin de bras vaillants : Morgane "
       "s'agite, et la forêt se remplit de maléfices. Prends cette potion, et écoute ce que j'ai à te demander.",
       "La cour du château de Camelot", 0, 0, 0, 6, false}},
     {{0.2f, 0.25f, 0.6f}, {0.85f, 0.7f, 0.2f}, {0.9f, 0.85f, 0.7f}, {0.4f, 0.28f, 0.16f}, {0.3f, 0.2f, 0.12f}},
     {0, 0, 0}, 18, 5.5f, true, std::atan2(-2.0f, -8.5f)},
    {"Le roi Arthur", "Arthur", "Roi de Logres", "arthur", "au château de Camelot", ARTHUR_LOW,
     "Tervanne est en paix, et la Lune noire s'est éteinte. Assieds-toi à ma table quand tu le voudras, ami{|e} : ta "
     "place y est gardée.",
     5,
     {{"Le maléfice de la Pierre aux Fées", "Loups ensorcelés abattus", SP_WOLF, 0, 0, 8, 1100, 103, 5,
       "Près de la clairière, à l'est, se dresse la Pierre aux Fées. Un maléfice s'y est posé : les loups qui "
       "rôdent autour ont les yeux qui brillent la nuit et ne craignent plus le feu. Abats-en huit près de la "
       "pierre, ami{|e}.",
       "Encore %d loup%s à abattre, ami{|e}. La Pierre aux Fées est loin à l'est, près de la clairière.",
       "Huit loups ensorcelés. Le maléfice faiblit, je le sens. Porte cet anneau de la Table Ronde : il fait de toi "
       "{un|une} des nôtres.",
       "La Pierre aux Fées, près de la clairière", 110, -40, 70, 0, false},
      {"Les éclats de la pierre", "Éclats de pierre féerique", QUEST_KILL_NONE, 0, 96, 6, 1200, 104, 5,
       "Le maléfice a fendu la Pierre aux Fées, et les loups en portent des éclats sur eux. Rapporte-en six, ami{|e}, "
       "mais pas à moi : Blaise l'ermite, au bord de la lande, saura les lire.",
       "Il te faut encore %d éclat%s de pierre féerique. Les loups ensorcelés les portent sur eux.",
       "Six éclats de la Pierre aux Fées… Le roi a bien fait de t'envoyer. Ils parlent de Morgane, et d'un fort à "
       "l'est. Prends ces épaulières que le roi m'a confiées pour toi, et retourne le voir.",
       "La Pierre aux Fées, près de la clairière", 110, -40, 70, 3, false},
      {"La Lune noire", "Mercenaires de Morgane abattus", SP_BRIGAND, 0, 0, 8, 2000, 105, 7,
       "Blaise a lu les éclats : Morgane paie des mercenaires, et ils tiennent le fort de la Lune noire, tout à "
       "l'est. Abats-en huit, ami{|e}, que ma sœur sache que Camelot veille.",
       "Encore %d mercenaire%s, ami{|e}. Leur fort est tout à l'est, au-delà du camp des brigands.",
       "Huit mercenaires de moins pour Morgane. Porte ce tabard aux couleurs de Camelot : que ses gens voient qui "
       "les combat.",
       "Le fort de la Lune noire, tout à l'est", -520, -60, 75, 0, false},
      {"Les ordres de Morgane", "Lettre scellée de Morgane", QUEST_KILL_NONE, 0, 97, 1, 1800, 27, 8,
       "Les mercenaires reçoivent leurs ordres par lettres scellées du sceau de Morgane. Rapporte-m'en une, ami{|e} : "
       "je veux savoir ce que ma sœur prépare.",
       "Il me faut une lettre scellée de Morgane. Les mercenaires du fort en portent sur eux.",
       "Le sceau de Morgane… Elle veut la Pierre aux Fées et l'épée du roc. Sire Brian des Îles commande le fort "
       "pour elle. Prends cette potion : tu en auras besoin.",
       "Le fort de la Lune noire, tout à l'est", -520, -60, 75, 0, false},
      {"Sire Brian des Îles", "Sire Brian des Îles abattu", QUEST_KILL_NONE, ELITE_BRIAN, 0, 1, 3200, 106, 9,
       "Sire Brian des Îles tient le fort de la Lune noire au nom de Morgane. Il fut un chevalier ; il n'est plus "
       "qu'un traître. Abats-le, ami{|e}, et la Lune noire s'éteindra.",
       "Sire Brian des Îles tient toujours le fort de la Lune noire, tout à l'est.",
       "Sire Brian est tombé, et le fort est vide. Cet anneau porte le dragon de Pendragon, le signe de mon père. "
       "Je n'en donne pas souvent.",
       "Le fort de la Lune noire, tout à l'est", -520, -60, 75, 0, false}},
     {{0.55f, 0.1f, 0.12f}, {0.85f, 0.72f, 0.25f}, {0.95f, 0.85f, 0.35f}, {0.55f, 0.38f, 0.18f}, {0.35f, 0.22f, 0.1f}},
     {0, 1, 2}, 56, -2, true, -HALF_PI},
    {"Hugues, prévôt de Gué-Fleuri", "Hugues", "Prévôt du hameau", "hugues", "au hameau de Gué-Fleuri", HUGUES_LOW,
     "Le hameau vit en paix, voyage{ur|use}, et le grain est au grenier. Tu auras toujours une écuelle de soupe chez "
     "nous.",
     4,
     {{"Les champs ravagés", "Sangliers abattus près du hameau", SP_BOAR, 0, 0, 8, 500, 100, 2,
       "Les sangliers retournent nos champs chaque nuit, voyage{ur|use}. Si ça continue, il n'y aura rien à "
       "moissonner. "
       "Abats-en huit autour du hameau, je t'en prie.",
       "Encore %d sanglier%s, voyage{ur|use}. Ils rôdent autour des champs, à l'est du hameau.",
       "Huit sangliers ! Les champs vont pouvoir repousser. Prends ces bottes de laboureur : ce n'est pas grand-chose, "
       "mais elles sont solides.",
       "Autour du hameau de Gué-Fleuri", 360, -10, 160, 0, false},
      {"Les pillards du ravin", "Pillards du ravin abattus", SP_GOBLIN, 0, 0, 8, 800, 101, 3,
       "Des gobelins se cachent dans le ravin, au sud du hameau, et viennent piller nos greniers. Abats-en huit, "
       "voyage{ur|use}, qu'ils comprennent que Gué-Fleuri se défend.",
       "Encore %d pillard%s, voyage{ur|use}. Le ravin est au sud du hameau.",
       "Huit pillards de moins ! Les enfants pourront jouer près du gué. Ces brassards viennent de mon père : "
       "porte-les.",
       "Le ravin des pillards, au sud du hameau", 430, -130, 70, 0, false},
      {"Le grain volé", "Sacs de grain", QUEST_KILL_NONE, 0, 98, 6, 700, 27, 4,
       "Les pillards ont emporté nos sacs de grain dans le ravin. Rapporte-m'en six, voyage{ur|use} : sans eux, "
       "l'hiver "
       "sera long.",
       "Il me faut encore %d sac%s de grain, voyage{ur|use}.",
       "Six sacs ! Nous aurons du pain cet hiver. Prends cette potion : ma femme la garde pour les grandes occasions.",
       "Le ravin des pillards, au sud du hameau", 430, -130, 70, 0, false},
      {"Crocs-Noirs", "Crocs-Noirs abattu", QUEST_KILL_NONE, ELITE_CROCS_NOIRS, 0, 1, 1200, 102, 5,
       "Le chef des pillards s'appelle Crocs-Noirs. Tant qu'il vivra, ils reviendront. Va au fond du ravin, "
       "voyage{ur|use}, et abats-le.",
       "Crocs-Noirs tient toujours le ravin, au sud du hameau.",
       "Crocs-Noirs est mort ! Gué-Fleuri te doit sa tranquillité. Ce collier est fait de ses crocs : porte-le, que "
       "les pillards sachent à qui ils ont affaire.",
       "Le ravin des pillards, au sud du hameau", 430, -130, 70, 0, false}},
     {{0.5f, 0.42f, 0.28f}, {0.3f, 0.4f, 0.25f}, {0.6f, 0.55f, 0.4f}, {0.35f, 0.25f, 0.15f}, {0.25f, 0.18f, 0.1f}},
     {0, 0, 1}, 364, -5, false, std::atan2(-1.0f, -0.3f)},
    {"Frère Ogrin", "Frère Ogrin", "Ermite de la Gaste", "ogrin", "près du cimetière des rois oubliés", OGRIN_LOW,
     "Les morts dorment enfin, mon enfant. Je prierai pour eux, et pour toi qui leur as rendu le repos.",
     3,
     {{"Les morts sans repos", "Morts du cimetière abattus", QUEST_KILL_ANY, 0, 0, 10, 4400, 107, 17,
       "Les morts du cimetière des rois oubliés ne trouvent pas le repos, mon enfant. Ils sortent de terre et "
       "errent entre les tombes. Rends-en dix à la poussière : c'est la seule prière qu'ils entendent encore.",
       "Encore %d mort%s sans repos, mon enfant. Le cimetière est juste derrière moi.",
       "Dix âmes ont trouvé le repos. Que Dieu te garde, mon enfant. Ces brassards m'ont protégé pendant mes années "
       "d'ermitage : ils te protégeront mieux que moi.",
       "Le cimetière des rois oubliés, à l'est de la Gaste", -560, -930, 80, 0, false},
      {"Les anneaux des morts", "Anneaux funéraires", QUEST_KILL_NONE, 0, 99, 6, 4200, 108, 18,
       "Les morts portent encore leurs anneaux funéraires, et c'est par eux que le maléfice les tient. Rapporte-m'en "
       "six, mon enfant : je les bénirai et les rendrai à la terre.",
       "Il me manque encore des anneaux, mon enfant : %d à trouver%s.",
       "Six anneaux. Je les bénirai ce soir. Prends cette ceinture funéraire : elle a été tressée pour un roi, elle "
       "servira mieux un vivant.",
       "Le cimetière des rois oubliés, à l'est de la Gaste", -560, -930, 80, 0, true},
      {"Le roi Rion", "Le roi Rion abattu", QUEST_KILL_NONE, ELITE_RION, 0, 1, 7500, 109, 19,
       "Le roi Rion, qui voulait une barbe de rois pour son manteau, règne encore sur le cimetière du fond de la "
       "chapelle en ruine. C'est lui qui tient les morts debout. Abats-le, mon enfant, et qu'ils dorment enfin.",
       "Le roi Rion règne toujours sur le cimetière, dans les ruines de la chapelle.",
       "Le roi Rion n'est plus. Sa couronne te revient, mon enfant : porte-la avec humilité, elle a vu assez "
       "d'orgueil.",
       "Les ruines de la chapelle, au cimetière des rois oubliés", -560, -930, 80, 0, false}},
     {{0.36f, 0.3f, 0.24f}, {0.28f, 0.24f, 0.2f}, {0.45f, 0.4f, 0.32f}, {0.6f, 0.58f, 0.55f}, {0.5f, 0.45f, 0.35f}},
     {0, 0, 2}, -488, -902, false, std::atan2(0.8f, 0.5f) + 3.14159265f},
    {"Perceval le Gallois", "Perceval", "Jeune Gallois de la Gaste", "perceval", "à la hêtraie des loups noirs",
     PERCEVAL_LOW,
     "On a bien chassé, toi et moi ! Quand je serai chevalier, je dirai au roi que c'est toi qui m'as appris.",
     2,
     {{"Les loups noirs de la Gaste", "Loups noirs abattus", SP_WOLF, 0, 0, 10, 4600, 110, 17,
       "Tu vois la hêtraie, derrière mon campement ? Elle est pleine de loups noirs, et ils ont mangé ma jument. "
       "Abats-en dix avec moi ! Enfin… surtout toi.",
       "Encore %d loup%s à abattre ! Les loups noirs rôdent dans la hêtraie, derrière mon campement.",
       "Dix loups noirs ! Tu tires mieux que tous les Gallois de mon pays. Prends mes gants de chasse, je m'en "
       "trouverai d'autres.",
       "La hêtraie des loups noirs, à l'ouest de la Gaste", 560, -950, 80, 0, false},
      {"Blanchecrins", "Blanchecrins abattu", QUEST_KILL_NONE, ELITE_BLANCHECRINS, 0, 1, 7200, 111, 19,
       "Le chef des loups noirs a le poil blanc comme la neige : on l'appelle Blanchecrins. Il rôde entre les "
       "grands rochers, au fond de la hêtraie. Si on l'abat, la meute s'en ira. Tu viens ?",
       "Blanchecrins rôde toujours entre les grands rochers, au fond de la hêtraie.",
       "Blanchecrins est mort ! La hêtraie est à nous ! Prends sa pèlerine, elle est plus chaude que tout ce que ma "
       "mère m'a tissé.",
       "La hêtraie des loups noirs, à l'ouest de la Gaste", 560, -950, 80, 0, false}},
     {{0.6f, 0.55f, 0.4f}, {0.3f, 0.45f, 0.25f}, {0.7f, 0.6f, 0.4f}, {0.75f, 0.6f, 0.3f}, {0.3f, 0.2f, 0.12f}},
     {0, 1, 0}, 512, -926, false, std::atan2(-1.0f, 0.6f)},
    // Sire Keu: his tracker and his talk word the way back themselves.
    {"Sire Keu", "Sire Keu", "Sénéchal de Camelot", "quete", "à la grande porte de Camelot", "", KEU_DONE,
     KEU_QUEST_COUNT,
     {
      {"La chasse de Sire Keu", "Sangliers abattus", SP_BOAR, 0, 0, 10, 400, 22, 1,
       "Ah, {un|une} {classe} ! Il était temps. La Pentecôte approche, et le roi veut un festin digne de la "
       "Table Ronde. "
       "Or les broches sont vides et les sangliers pullulent autour de Camelot. Abats-en dix, {classe}, et les "
       "cuisines "
       "te béniront.",
       "Encore %d sanglier%s, {classe}. Les broches de Camelot n'attendent pas !",
       "Dix sangliers ! Les cuisines vont enfin cesser de me harceler. Prends cet anneau : un sénéchal sait "
       "récompenser ceux qui servent bien.",
       "Autour de Camelot", 0, 0, 0, 0, false},
      {"Les pillards de Tervanne", "Gobelins abattus", SP_GOBLIN, 0, 0, 10, 700, 23, 1,
       "Les broches sont pleines, mais les routes ne sont pas sûres. Des gobelins pillent les charrettes qui "
       "montent à Camelot pour la fête. Abats-en dix, {classe} : je ne veux pas d'un festin sans vin.",
       "Encore %d gobelin%s. Leur camp est à l'est de Camelot : suis la route de l'est.",
       "Dix gobelins ! Les charrettes passeront, et le vin avec. Ce heaume vient de l'armurerie du château : porte-le "
       "avec fierté, tu es un peu des nôtres désormais.",
       "Camp gobelin : à l'est de Camelot", 0, 0, 0, 0, false},
     },
     // Only the tunic and the hair are worn by the figures.
     {{0.62f, 0.16f, 0.12f}, {0, 0, 0}, {0, 0, 0}, {0.3f, 0.2f, 0.12f}, {0, 0, 0}},
     {0, 0, 1}, -112.0f, 7.5f, true, PI * 0.5f},
    // Viviane, on the lake's shore toward Camelot, clear of the water.
    {"Viviane, la Dame du Lac", "Viviane", "Dame du Lac", "dame", "sur la rive du lac", LADY_LOW, LADY_DONE,
     LADY_QUEST_COUNT,
     {
      {"Le chef des pillards", "Grognard abattu", QUEST_KILL_NONE, ELITE_GROGNARD, 0, 1, 900, 32, 1,
       "Sire Keu m'a parlé de toi, {classe}. Les gobelins que tu as chassés ont un chef, Grognard, qui se terre dans "
       "leur camp, derrière le cercle de pierres. Tant qu'il vivra, ils reviendront. Abats-le.",
       "Grognard vit toujours, {classe}. Son camp est derrière le cercle de pierres.",
       "Grognard est tombé, et les eaux du lac sont plus claires. Ces gantelets ont été forgés sous les eaux : ils "
       "guideront ta main.",
       "Camp gobelin : derrière le cercle de pierres", 0, 0, 0, 0, false},
      {"Les larmes du lac", "Cuirs de sanglier", QUEST_KILL_NONE, 0, 11, 10, 700, 33, 1,
       "Le lac pleure, {classe} : ses rives s'effondrent et ses roseaux meurent. Apporte-moi dix cuirs de sanglier ; "
       "j'en ferai des digues que l'eau respectera.",
       "Il me faut encore %d cuir%s de sanglier, {classe}. Les sangliers de la forêt en portent sur le dos.",
       "Dix cuirs. Le lac retiendra ses larmes. Garde celle-ci : une larme du lac, qui ne sèche jamais.",
       "Sangliers de la forêt, puis retour au lac", 0, 0, 0, 0, false},
      {"Le Val sans Retour", "Bréhus vaincu", SP_BOSS, 0, 0, 1, 5000, 53, 10,
       "Sous la lande s'ouvre le Val sans Retour, où Morgane enferme ceux qui la trahissent. Bréhus sans Pitié en "
       "garde les catacombes pour elle. Descends, {classe}, et reviens vainqueur : le Val doit rendre ceux qu'il "
       "retient.",
       "Bréhus sans Pitié règne toujours sur les catacombes du Val sans Retour, {classe}.",
       "Bréhus est vaincu, et le Val a rendu ses prisonniers. Morgane elle-même portait cet anneau ; qu'il te "
       "rappelle que même elle peut être vaincue.",
       "Catacombes du Val sans Retour : la caverne de la lande, au nord", 0, 0, 0, 0, false},
     },
     {{0.72f, 0.82f, 0.92f}, {0, 0, 0}, {0, 0, 0}, {0.82f, 0.7f, 0.42f}, {0, 0, 0}},
     {1, 2, 0}, -47.5f, -56.5f, false, std::atan2(0.93f, 0.37f)},
};

const QuestDef* const keu_quests = quest_givers[GIVER_KEU].quests;
const QuestDef* const lady_quests = quest_givers[GIVER_LADY].quests;

const char* const guard_lines[2] = {
    "Circulez. Les portes ferment à la nuit tombée, et je n'ouvre à personne.",
    "Tout est calme, l'ami{|e}. Mais on dit que des loups rôdent jusqu'aux murs, la nuit.",
};

const char* const seller_lines[2] = {
    "Approchez ! Du pain, des pommes, du fromage frais ! Et pour vous, un prix d'ami.",
    "Rien ne vous plaît ? Revenez demain, j'aurai du poisson du lac.",
};

const char* const town_lines[8] = {
    "Bonne journée à vous. Le roi tient sa cour au château, si vous le cherchez.",
    "On dit que l'épée plantée dans le roc attend son roi depuis cent ans.",
    "Les cuisines du château préparent la Pentecôte. Ça sent bon jusqu'au marché !",
    "Méfiez-vous de la forêt à la nuit tombée. Mon cousin y a perdu un mouton.",
    "Les artisans du quartier sont les meilleurs de Logres, et ils le savent.",
    "On raconte que la Dame du Lac parle aux chevaliers qui le méritent.",
    "Le marchand de la place vend cher, mais il rachète tout ce qu'on lui apporte.",
    "Il paraît que Morgane a des espions jusque dans Camelot. Moi, je ne dis rien.",
};

// In the order of the trainers: forge, leather, skinning, alchemy, herbs, mining.
const char* const trainer_greetings[6] = {
    "Le fer chaud n'attend pas ! Apporte-moi du minerai, et je t'apprendrai à en faire des armures.",
    "Un bon cuir se travaille avec patience. Tu veux apprendre ?",
    "Une bête bien dépecée, c'est un cuir sans défaut. Je peux t'apprendre le geste.",
    "Une pincée de sauge, une racine de mandragore… et le mal s'en va. L'alchimie t'intéresse ?",
    "Les herbes de Tervanne guérissent plus de maux que les médecins. Regarde où tu poses les pieds.",
    "Le minerai chante sous le pic, si on sait l'écouter. Tu veux descendre avec moi ?",
};
