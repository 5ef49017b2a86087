#pragma once
// The fixed vocabulary of the demo database: names, towns and streets of northern Italy, the
// plant's departments, work centres and machines, item classifications and workflow states.

#include <array>
#include <string_view>

namespace briskal::hostkit::catalogue {

struct Town {
  std::string_view name;
  std::string_view province;
  std::string_view postcode;
};

struct Coded {
  std::string_view code;
  std::string_view description;
};

struct WorkCentre {
  std::string_view code;
  std::string_view description;
  std::string_view department;
};

struct Machine {
  std::string_view code;
  std::string_view description;
  std::string_view workCentre;
};

struct State {
  int id;
  int kind;  // 7 document, 8 document line
  std::string_view description;
};

struct OwnCompany {
  int code;
  std::string_view name;
  std::string_view address;
  size_t town;  // index into kTowns
  std::string_view vatNumber;
};

inline constexpr std::array kOwnCompanies = {
    OwnCompany{1, "Officine Meccaniche Brambilla S.p.A.", "Via dell'Industria 14", 0, "01873450134"},
    OwnCompany{2, "Brambilla Carpenterie S.r.l.", "Via Provinciale 82", 1, "02946120137"},
    OwnCompany{3, "Fonderia Valsecchi & Figli S.n.c.", "Via Nicolò Tommaseo 3", 13, "00784310165"},
};

inline constexpr std::array kTowns = {
    Town{"Lecco", "LC", "23900"},
    Town{"Valmadrera", "LC", "23868"},
    Town{"Calolziocorte", "LC", "23801"},
    Town{"Merate", "LC", "23807"},
    Town{"Bergamo", "BG", "24121"},
    Town{"Dalmine", "BG", "24044"},
    Town{"Brescia", "BS", "25121"},
    Town{"Lumezzane", "BS", "25065"},
    Town{"Gardone Val Trompia", "BS", "25063"},
    Town{"Milano", "MI", "20121"},
    Town{"Sesto San Giovanni", "MI", "20099"},
    Town{"Monza", "MB", "20900"},
    Town{"Seregno", "MB", "20831"},
    Town{"Cantù", "CO", "22063"},
    Town{"Como", "CO", "22100"},
    Town{"Erba", "CO", "22036"},
    Town{"Varese", "VA", "21100"},
    Town{"Busto Arsizio", "VA", "21052"},
    Town{"Torino", "TO", "10121"},
    Town{"Rivoli", "TO", "10098"},
    Town{"Bologna", "BO", "40121"},
    Town{"Sant'Agata Bolognese", "BO", "40019"},
    Town{"Modena", "MO", "41121"},
    Town{"Carpi", "MO", "41012"},
    Town{"Sassuolo", "MO", "41049"},
    Town{"Reggio nell'Emilia", "RE", "42121"},
    Town{"Parma", "PR", "43121"},
    Town{"Piacenza", "PC", "29121"},
    Town{"Forlì", "FC", "47121"},
    Town{"Vicenza", "VI", "36100"},
    Town{"Schio", "VI", "36015"},
    Town{"Arzignano", "VI", "36071"},
    Town{"Padova", "PD", "35121"},
    Town{"Treviso", "TV", "31100"},
    Town{"Castelfranco Veneto", "TV", "31033"},
    Town{"Verona", "VR", "37121"},
    Town{"Pordenone", "PN", "33170"},
    Town{"Udine", "UD", "33100"},
    Town{"Cremona", "CR", "26100"},
    Town{"Novara", "NO", "28100"},
};

inline constexpr std::array kStreets = {
    std::string_view{"Via Giuseppe Garibaldi"},
    std::string_view{"Via dell'Industria"},
    std::string_view{"Viale Lombardia"},
    std::string_view{"Via Nazionale"},
    std::string_view{"Corso Italia"},
    std::string_view{"Via dell'Artigianato"},
    std::string_view{"Via Enrico Fermi"},
    std::string_view{"Via Ca' Nova"},
    std::string_view{"Piazza della Libertà"},
    std::string_view{"Via San Martino"},
    std::string_view{"Via Alessandro Volta"},
    std::string_view{"Via Galileo Galilei"},
    std::string_view{"Via dei Mille"},
    std::string_view{"Via Roma"},
    std::string_view{"Via Leonardo da Vinci"},
    std::string_view{"Via Papa Giovanni XXIII"},
    std::string_view{"Via Fornace"},
    std::string_view{"Via Provinciale"},
    std::string_view{"Via Cesare Battisti"},
    std::string_view{"Via Nicolò Tommaseo"},
};

inline constexpr std::array kSurnames = {
    std::string_view{"Brambilla"}, std::string_view{"Colombo"},   std::string_view{"Ferrari"},
    std::string_view{"Bianchi"},   std::string_view{"Galli"},     std::string_view{"Fumagalli"},
    std::string_view{"Bonfanti"},  std::string_view{"Sala"},      std::string_view{"Riva"},
    std::string_view{"Mariani"},   std::string_view{"Cattaneo"},  std::string_view{"Pozzi"},
    std::string_view{"Zanetti"},   std::string_view{"Bertolini"}, std::string_view{"Valsecchi"},
    std::string_view{"Pagani"},    std::string_view{"Longhi"},    std::string_view{"Gatti"},
    std::string_view{"Moretti"},   std::string_view{"Lombardi"},  std::string_view{"Marchetti"},
    std::string_view{"Barbieri"},  std::string_view{"Fontana"},   std::string_view{"Rinaldi"},
    std::string_view{"Conti"},     std::string_view{"Negri"},     std::string_view{"Rota"},
    std::string_view{"Brivio"},    std::string_view{"Redaelli"},  std::string_view{"Mauri"},
    std::string_view{"Sangalli"},  std::string_view{"Crippa"},    std::string_view{"Frigerio"},
    std::string_view{"Perego"},    std::string_view{"Bonacina"},  std::string_view{"Mazzoleni"},
    std::string_view{"Locatelli"}, std::string_view{"Pedretti"},  std::string_view{"Zambelli"},
    std::string_view{"Beretta"},
};

// "%" stands for a surname.
inline constexpr std::array kCustomerNames = {
    std::string_view{"Officine Meccaniche % S.p.A."},
    std::string_view{"% Meccanica S.r.l."},
    std::string_view{"Costruzioni Meccaniche % S.r.l."},
    std::string_view{"F.lli % S.n.c."},
    std::string_view{"Oleodinamica % S.p.A."},
    std::string_view{"Automazioni Industriali % S.r.l."},
    std::string_view{"Società Meccanica % S.r.l."},
    std::string_view{"% Nicolò & Figli S.n.c."},
    std::string_view{"Impianti % S.p.A."},
    std::string_view{"Macchine Agricole % S.r.l."},
    std::string_view{"% Packaging S.r.l."},
    std::string_view{"Officina Meccanica di % Niccolò"},
};

inline constexpr std::array kSupplierNames = {
    std::string_view{"Trattamenti Termici % S.r.l."},
    std::string_view{"Zincatura % S.n.c."},
    std::string_view{"Verniciatura Industriale % S.r.l."},
    std::string_view{"Rettifiche % & C. S.a.s."},
    std::string_view{"Tornerie % S.r.l."},
    std::string_view{"Nichelatura % S.n.c."},
    std::string_view{"Sabbiatura e Granigliatura % S.r.l."},
    std::string_view{"Carpenteria Metallica % S.n.c."},
};

inline constexpr std::array kWarehouses = {
    Coded{"01", "Magazzino centrale"},
    Coded{"02", "Magazzino semilavorati"},
    Coded{"PF", "Magazzino prodotti finiti"},
};

inline constexpr std::array kDepartments = {
    Coded{"TOR", "Tornitura"},           Coded{"FRE", "Fresatura"},
    Coded{"RET", "Rettifica"},           Coded{"TAG", "Taglio laser e segatura"},
    Coded{"PIE", "Piegatura"},           Coded{"SAL", "Saldatura"},
    Coded{"VER", "Verniciatura"},        Coded{"MON", "Montaggio"},
    Coded{"EST", "Lavorazioni esterne"},
};

// Phases done by subcontractors have no work centre of ours.
inline constexpr std::string_view kExternalDepartment = "EST";

inline constexpr std::array kWorkCentres = {
    WorkCentre{"CT01", "Torni CNC", "TOR"},
    WorkCentre{"CT02", "Torni automatici", "TOR"},
    WorkCentre{"CF01", "Centri di lavoro", "FRE"},
    WorkCentre{"CR01", "Rettificatrici", "RET"},
    WorkCentre{"CL01", "Taglio laser", "TAG"},
    WorkCentre{"CL02", "Segatrici", "TAG"},
    WorkCentre{"CP01", "Presse piegatrici", "PIE"},
    WorkCentre{"CS01", "Saldatura robotizzata", "SAL"},
    WorkCentre{"CS02", "Saldatura manuale", "SAL"},
    WorkCentre{"CV01", "Impianto di verniciatura", "VER"},
    WorkCentre{"CM01", "Linea di montaggio", "MON"},
    WorkCentre{"CM02", "Banchi di montaggio e collaudo", "MON"},
};

inline constexpr std::array kMachines = {
    Machine{"TOR-CNC-01", "Tornio CNC a due assi", "CT01"},
    Machine{"TOR-CNC-02", "Tornio CNC con contromandrino", "CT01"},
    Machine{"TOR-PLM-01", "Tornio plurimandrino a sei fusi", "CT02"},
    Machine{"TOR-FAN-01", "Tornio automatico a fantina mobile", "CT02"},
    Machine{"FRE-CDL-01", "Centro di lavoro verticale 3 assi", "CF01"},
    Machine{"FRE-CDL-02", "Centro di lavoro 5 assi", "CF01"},
    Machine{"FRE-ORZ-01", "Fresatrice orizzontale", "CF01"},
    Machine{"RET-EST-01", "Rettificatrice per esterni", "CR01"},
    Machine{"RET-PIA-01", "Rettificatrice tangenziale per piani", "CR01"},
    Machine{"TAG-LAS-01", "Laser fibra 3 kW", "CL01"},
    Machine{"TAG-LAS-02", "Laser fibra 6 kW con carico automatico", "CL01"},
    Machine{"TAG-SEG-01", "Segatrice a nastro", "CL02"},
    Machine{"PIE-PRE-01", "Pressa piegatrice 100 t", "CP01"},
    Machine{"PIE-PRE-02", "Pressa piegatrice 220 t", "CP01"},
    Machine{"SAL-ROB-01", "Isola robotizzata MIG/MAG", "CS01"},
    Machine{"SAL-TIG-01", "Postazione di saldatura TIG 1", "CS02"},
    Machine{"SAL-TIG-02", "Postazione di saldatura TIG 2", "CS02"},
    Machine{"VER-POL-01", "Cabina di verniciatura a polveri", "CV01"},
    Machine{"VER-LIQ-01", "Cabina di verniciatura a liquido", "CV01"},
    Machine{"MON-LIN-01", "Linea di montaggio 1", "CM01"},
    Machine{"MON-BAN-01", "Banco di montaggio e collaudo", "CM02"},
};

inline constexpr std::array kMaterials = {
    Coded{"INOX", "Acciaio inox AISI 304"},
    Coded{"C45", "Acciaio C45"},
    Coded{"S235", "Acciaio S235JR"},
    Coded{"BRON", "Bronzo CuSn12"},
    Coded{"OTTO", "Ottone CW614N"},
    Coded{"ALLU", "Alluminio 6082"},
    Coded{"NBR", "Gomma NBR"},
    Coded{"FKM", "Fluoroelastomero FKM"},
    Coded{"GHIS", "Ghisa EN-GJL-250"},
};

inline constexpr std::array kFinishes = {
    Coded{"GREZ", "Grezzo"},   Coded{"ZINC", "Zincato"}, Coded{"VERN", "Verniciato"},
    Coded{"TEMP", "Temprato"}, Coded{"BRUN", "Brunito"},
};

inline constexpr std::array kSizeClasses = {
    Coded{"PIC", "Piccole dimensioni"},
    Coded{"MED", "Medie dimensioni"},
    Coded{"GRA", "Grandi dimensioni"},
};

inline constexpr std::array kTurnoverGroups = {
    Coded{"ALTA", "Alta rotazione"},
    Coded{"MEDI", "Media rotazione"},
    Coded{"BASS", "Bassa rotazione"},
};

inline constexpr std::array kProductLines = {
    Coded{"LIN1", "Linea presse"},
    Coded{"LIN2", "Linea trasportatori"},
    Coded{"RIC", "Ricambi"},
};

inline constexpr std::array kMarkets = {
    Coded{"AUTO", "Automotive"},           Coded{"AGRI", "Macchine agricole"},
    Coded{"ALIM", "Industria alimentare"}, Coded{"EDIL", "Macchine per l'edilizia"},
    Coded{"FERR", "Ferroviario"},
};

inline constexpr std::array kSourcing = {
    Coded{"PROD", "Produzione interna"},
    Coded{"ACQU", "Acquisto"},
    Coded{"CLAV", "Conto lavoro"},
};

inline constexpr std::array kVariants = {
    std::string_view{"RAL9005"},     std::string_view{"RAL7035"},   std::string_view{"RAL5015"},
    std::string_view{"ZINC-BIANCA"}, std::string_view{"ZINC-NERA"},
};

inline constexpr std::array kStates = {
    State{71, 7, "Aperto"},         State{72, 7, "Rilasciato"},  State{73, 7, "In produzione"},
    State{74, 7, "Sospeso"},        State{81, 8, "Da lanciare"}, State{82, 8, "Lanciata"},
    State{83, 8, "In lavorazione"}, State{84, 8, "Completata"},
};

inline constexpr std::array kProjectSubjects = {
    std::string_view{"Linea di assemblaggio riduttori"}, std::string_view{"Impianto di lavaggio pezzi"},
    std::string_view{"Macchina confezionatrice MC-40"},  std::string_view{"Revamping pressa idraulica 250 t"},
    std::string_view{"Trasportatore a tapparelle"},      std::string_view{"Isola di pallettizzazione"},
    std::string_view{"Banco prova pompe oleodinamiche"}, std::string_view{"Forno di essiccazione continuo"},
};

inline constexpr std::array kProjectNodes = {
    std::string_view{"Telaio principale"}, std::string_view{"Gruppo motore"},
    std::string_view{"Quadro elettrico"},  std::string_view{"Impianto oleodinamico"},
    std::string_view{"Carterature"},       std::string_view{"Gruppo di trasmissione"},
};

inline constexpr std::array kPeople = {
    std::string_view{"Ing. Marco Colombo"},
    std::string_view{"Ing. Chiara Redaelli"},
    std::string_view{"Geom. Luca Perego"},
    std::string_view{"Per. Ind. Nicolò Sala"},
};

inline constexpr std::array kPriorities = {
    std::string_view{"Alta"},
    std::string_view{"Normale"},
    std::string_view{"Bassa"},
};

}  // namespace briskal::hostkit::catalogue
