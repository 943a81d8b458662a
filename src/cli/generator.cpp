#include "cli/generator.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace cli {

namespace {

// Vocabularies: plain, accented (Windows-1252 letters), and a few with quotes and apostrophes.
constexpr std::string_view kFirstNames[] = {
    "James",     "Mary",       "John",     "Patricia",  "Robert",      "Jennifer",  "Michael", "Linda",
    "William",   "Elizabeth",  "David",    "Barbara",   "Richard",     "Susan",     "Joseph",  "Jessica",
    "Thomas",    "Sarah",      "Charles",  "Karen",     "Christopher", "Nancy",     "Daniel",  "Lisa",
    "Matthew",   "Betty",      "Anthony",  "Margaret",  "Mark",        "Sandra",    "Donald",  "Ashley",
    "Steven",    "Kimberly",   "Paul",     "Emily",     "Andrew",      "Donna",     "Joshua",  "Michelle",
    "Kenneth",   "Dorothy",    "Kevin",    "Carol",     "Brian",       "Amanda",    "George",  "Melissa",
    "Edward",    "Deborah",    "Ronald",   "Stephanie", "Timothy",     "Rebecca",   "Jason",   "Sharon",
    "Jeffrey",   "Laura",      "Ryan",     "Cynthia",   "Jacob",       "Kathleen",  "Gary",    "Amy",
    "Nicholas",  "Shirley",    "Eric",     "Angela",    "Jonathan",    "Helen",     "Stephen", "Anna",
    "Larry",     "Brenda",     "Justin",   "Pamela",    "Scott",       "Nicole",    "Brandon", "Emma",
    "Benjamin",  "Samantha",   "Samuel",   "Katherine", "Gregory",     "Christine", "Frank",   "Debra",
    "Alexander", "Rachel",     "Raymond",  "Catherine", "Patrick",     "Carolyn",   "Jack",    "Janet",
    "Dennis",    "Ruth",       "Jerry",    "Maria",     "Tyler",       "Heather",   "Aaron",   "Diane",
    "Jose",      "Virginia",   "Henry",    "Julie",     "Adam",        "Joyce",     "Douglas", "Victoria",
    "Nathan",    "Olivia",     "Peter",    "Kelly",     "Zachary",     "Christina", "Kyle",    "Lauren",
    "Walter",    "Joan",       "Harold",   "Evelyn",    "Jeremy",      "Judith",    "Ethan",   "Megan",
    "Carl",      "Cheryl",     "Keith",    "Andrea",    "Roger",       "Hannah",    "Gerald",  "Martha",
    "Christian", "Jacqueline", "Terry",    "Frances",   "Sean",        "Gloria",    "Arthur",  "Ann",
    "Austin",    "Teresa",     "Noah",     "Kathryn",   "Lawrence",    "Sara",      "Jesse",   "Janice",
    "Joe",       "Jean",       "Bryan",    "Alice",     "Billy",       "Madison",   "Jordan",  "Doris",
    "Albert",    "Abigail",    "Dylan",    "Julia",     "Bruce",       "Judy",      "Willie",  "Grace",
    "Gabriel",   "Denise",     "Alan",     "Amber",     "Juan",        "Marilyn",   "Logan",   "Beverly",
    "Wayne",     "Danielle",   "Ralph",    "Theresa",   "Roy",         "Sophia",    "Eugene",  "Marie",
    "Randy",     "Diana",      "Vincent",  "Brittany",  "Russell",     "Natalie",   "Louis",   "Isabella",
    "Philip",    "Charlotte",  "Bobby",    "Rose",      "Johnny",      "Alexis",    "Bradley", "Kayla",
    "Gérard",    "Jürgen",     "Penélope", "Françoise", "Björn",       "Zoë",       "Renée",   "José",
    "Ángela",    "Mónica",     "Søren",    "Chloë",     "Hélène",      "Agnès",     "Jérôme",  "Loïc",
    "Inés",      "Raúl",       "Rubén",    "Andrés",
};

constexpr std::string_view kLastNames[] = {
    "Smith",      "Johnson",   "Williams",  "Brown",    "Jones",     "Garcia",    "Miller",    "Davis",
    "Rodriguez",  "Martinez",  "Hernandez", "Lopez",    "Gonzalez",  "Wilson",    "Anderson",  "Thomas",
    "Taylor",     "Moore",     "Jackson",   "Martin",   "Lee",       "Perez",     "Thompson",  "White",
    "Harris",     "Sanchez",   "Clark",     "Ramirez",  "Lewis",     "Robinson",  "Walker",    "Young",
    "Allen",      "King",      "Wright",    "Scott",    "Torres",    "Nguyen",    "Hill",      "Flores",
    "Green",      "Adams",     "Nelson",    "Baker",    "Hall",      "Rivera",    "Campbell",  "Mitchell",
    "Carter",     "Roberts",   "Gomez",     "Phillips", "Evans",     "Turner",    "Diaz",      "Parker",
    "Cruz",       "Edwards",   "Collins",   "Reyes",    "Stewart",   "Morris",    "Morales",   "Murphy",
    "Cook",       "Rogers",    "Gutierrez", "Ortiz",    "Morgan",    "Cooper",    "Peterson",  "Bailey",
    "Reed",       "Kelly",     "Howard",    "Ramos",    "Kim",       "Cox",       "Ward",      "Richardson",
    "Watson",     "Brooks",    "Chavez",    "Wood",     "James",     "Bennett",   "Gray",      "Mendoza",
    "Ruiz",       "Hughes",    "Price",     "Alvarez",  "Castillo",  "Sanders",   "Patel",     "Myers",
    "Long",       "Ross",      "Foster",    "Jimenez",  "Powell",    "Jenkins",   "Perry",     "Russell",
    "Sullivan",   "Bell",      "Coleman",   "Butler",   "Henderson", "Barnes",    "Gonzales",  "Fisher",
    "Vasquez",    "Simmons",   "Romero",    "Jordan",   "Patterson", "Alexander", "Hamilton",  "Graham",
    "Reynolds",   "Griffin",   "Wallace",   "Moreno",   "West",      "Cole",      "Hayes",     "Bryant",
    "Herrera",    "Gibson",    "Ellis",     "Tran",     "Medina",    "Aguilar",   "Stevens",   "Murray",
    "Ford",       "Castro",    "Marshall",  "Owens",    "Harrison",  "Fernandez", "McDonald",  "Woods",
    "Washington", "Kennedy",   "Wells",     "Vargas",   "Henry",     "Chen",      "Freeman",   "Webb",
    "Tucker",     "Guzman",    "Burns",     "Crawford", "Olson",     "Simpson",   "Porter",    "Hunter",
    "Gordon",     "Mendez",    "Silva",     "Shaw",     "Snyder",    "Mason",     "Dixon",     "Munoz",
    "Hunt",       "Hicks",     "Holmes",    "Palmer",   "Wagner",    "Black",     "Robertson", "Boyd",
    "Rose",       "Stone",     "Salazar",   "Fox",      "Warren",    "Mills",     "Meyer",     "Rice",
    "Schmidt",    "Garza",     "Daniels",   "Ferguson", "Nichols",   "Stephens",  "Soto",      "Weaver",
    "O'Brien",    "O'Hara",    "D'Angelo",  "O'Toole",  "McQueen",   "Depardieu", "Peña",      "Müller",
    "Brühl",      "Söderberg", "Gonçalves", "Núñez",    "Béart",     "Lefèvre",   "Schön",     "Dvorák",
    "Andrés",     "Cortázar",  "Ibáñez",    "Björk",    "Nykvist",   "Kinski",    "Almodóvar",
};

constexpr std::string_view kAdjectives[] = {
    "Silent",  "Dark",      "Golden",      "Last",       "Lost",       "Hidden",     "Broken",    "Endless",
    "Final",   "Secret",    "Wild",        "Burning",    "Frozen",     "Forgotten",  "Crimson",   "Midnight",
    "Eternal", "Savage",    "Gentle",      "Restless",   "Sleepless",  "Distant",    "Empty",     "Fallen",
    "Hollow",  "Lonely",    "Raging",      "Scarlet",    "Shattered",  "Stolen",     "Sweet",     "Twisted",
    "Velvet",  "Wicked",    "Winter",      "Summer",     "Autumn",     "Electric",   "Invisible", "Naked",
    "Perfect", "Quiet",     "Rising",      "Sacred",     "Shadow",     "Steel",      "Strange",   "Thin",
    "Urban",   "Vanishing", "Blue",        "Red",        "Black",      "White",      "Green",     "Silver",
    "Iron",    "Glass",     "Paper",       "Stone",      "Desert",     "Ocean",      "Northern",  "Southern",
    "Western", "Eastern",   "Little",      "Big",        "Long",       "Short",      "High",      "Deep",
    "Great",   "Young",     "Old",         "New",        "Brave",      "Crazy",      "Happy",     "Dangerous",
    "Deadly",  "Fatal",     "Magnificent", "Impossible", "Incredible", "Mysterious", "Naughty",   "Private",
    "Public",  "Royal",     "Wandering",
};

constexpr std::string_view kNouns[] = {
    "Night",    "City",      "River",    "Heart",    "Dream",      "Road",     "Star",     "Sky",
    "Fire",     "Rain",      "Storm",    "Moon",     "Sun",        "Island",   "Mountain", "Valley",
    "Forest",   "Garden",    "House",    "Castle",   "Bridge",     "Tower",    "Train",    "Ship",
    "Harbor",   "Station",   "Hotel",    "Kingdom",  "Empire",     "Frontier", "Horizon",  "Journey",
    "Voyage",   "Mission",   "Escape",   "Return",   "Revenge",    "Promise",  "Secret",   "Witness",
    "Stranger", "Hunter",    "Soldier",  "Sheriff",  "Detective",  "Doctor",   "Lawyer",   "Teacher",
    "Dancer",   "Singer",    "Gambler",  "Thief",    "Spy",        "Pilot",    "Captain",  "King",
    "Queen",    "Prince",    "Princess", "Bride",    "Widow",      "Angel",    "Devil",    "Ghost",
    "Monster",  "Dragon",    "Wolf",     "Eagle",    "Tiger",      "Lion",     "Horse",    "Raven",
    "Rose",     "Lily",      "Diamond",  "Pearl",    "Crown",      "Sword",    "Gun",      "Badge",
    "Mirror",   "Window",    "Door",     "Key",      "Letter",     "Song",     "Dance",    "Game",
    "Chase",    "Affair",    "Alibi",    "Verdict",  "Conspiracy", "Legend",   "Story",    "Tale",
    "Saga",     "Symphony",  "Waltz",    "Tango",    "Carnival",   "Circus",   "Paradise", "Harvest",
    "Season",   "Winter",    "Summer",   "Spring",   "Morning",    "Evening",  "Twilight", "Dawn",
    "Echo",     "Shadow",    "Silence",  "Thunder",  "Lightning",  "Ocean",    "Desert",   "Jungle",
    "Prairie",  "Canyon",    "Lagoon",   "Voyager",  "Outlaw",     "Ranger",   "Samurai",  "Ninja",
    "Pirate",   "Gladiator", "Warrior",  "Magician",
};

constexpr std::string_view kPlaces[] = {
    "Paris",     "Casablanca", "Rome",       "Vienna",  "Berlin",    "Tokyo",    "Manhattan", "Chicago",
    "Brooklyn",  "Tombstone",  "Dodge City", "El Paso", "Santa Fe",  "Montréal", "Zürich",    "São Paulo",
    "Málaga",    "Köln",       "Bogotá",     "Sevilla", "Monterrey", "Nice",     "Cannes",    "Havana",
    "Shanghai",  "Hong Kong",  "Bombay",     "Cairo",   "Marrakech", "Istanbul", "Moscow",    "Stockholm",
    "Oslo",      "Dublin",     "Glasgow",    "London",  "Venice",    "Athens",   "Lisbon",    "Madrid",
    "Barcelona", "Prague",     "Budapest",   "Warsaw",  "Alaska",    "Texas",    "Nevada",    "Arizona",
    "Montana",   "Wyoming",    "Kansas",     "Dakota",  "Memphis",
};

constexpr std::string_view kForeignTitles[] = {
    "La Dolce Vita",    "Le Café des Étoiles",    "Die Brücke",
    "El Niño",          "Les Misérables",         "Amélie",
    "Jean de Florette", "Manon des Sources",      "La Bête Humaine",
    "Das Boot",         "Fitzcarraldo",           "Cría Cuervos",
    "Mujeres al Borde", "Der Himmel über Berlin", "Trois Couleurs",
    "Le Mépris",        "À Bout de Souffle",      "Über Alles",
    "Señor Español",    "Pain et Chocolat",       "Cinéma Paradiso",
};

constexpr std::string_view kStudios[] = {
    "Paramount",
    "Warner Bros.",
    "Columbia",
    "Universal",
    "MGM",
    "20th Century Fox",
    "United Artists",
    "RKO",
    "Orion",
    "Tri-Star",
    "Disney",
    "Miramax",
    "New Line",
    "Carolco",
    "Embassy",
    "Republic",
    "Gaumont",
    "Pathé",
    "UFA",
    "Toho",
    "Rank",
    "Ealing",
    "Hammer",
    "Cannon",
    "Vestron",
    "HBO Video",
    "CBS/Fox Video",
    "RCA/Columbia",
    "Media Home Entertainment",
    "Prism",
    "Live Home Video",
};

constexpr std::string_view kRatings[] = {"G", "PG", "PG-13", "R", "NC-17", "X", "NR", "Unrated"};
constexpr std::string_view kCategories[] = {
    "Drama",     "Comedy",   "Action",    "Adventure", "Western",    "Science Fiction",
    "Horror",    "Thriller", "Mystery",   "Romance",   "Musical",    "Documentary",
    "Animation", "Family",   "War",       "Film Noir", "Foreign",    "Sports",
    "Fantasy",   "Crime",    "Biography", "Concert",   "Children's", "Martial Arts",
};
constexpr std::string_view kPictures[] = {"Color", "B&W", "Colorized", "Tinted"};
constexpr std::string_view kSounds[] = {"Mono", "Stereo", "Hi-Fi", "Dolby", "Surround", "Digital"};
constexpr std::string_view kFormats[] = {"VHS", "S-VHS", "Beta", "8mm", "Hi8", "Laser Disc", "VHS-C", "DVD"};
constexpr std::string_view kPersonal[] = {"Excellent", "Very Good", "Good",    "Fair",
                                          "Poor",      "Must See",  "Classic", "Awful"};
constexpr std::string_view kSpeeds[] = {"SP", "LP", "EP", "SLP"};
constexpr std::string_view kContents[] = {"Movie",      "TV Show", "Series",  "Concert",
                                          "Home Video", "Sports",  "Special", "Cartoon"};
constexpr std::string_view kLaser[] = {"CLV", "CAV", "Extended", "Letterbox", "Widescreen", "CLV/CAV"};
constexpr std::string_view kMisc[] = {"Closed Captioned", "Noise Reduction", "Surround Sound", "Letterboxed",
                                      "Director's Cut",   "Subtitled",       "Dubbed",         "Restored"};
constexpr std::string_view kKeyWords[] = {
    "love",    "war",     "revenge", "heist",  "family", "friendship", "betrayal", "robots", "space",
    "crime",   "murder",  "ghosts",  "horses", "music",  "school",     "sports",   "spies",  "aliens",
    "pirates", "dragons", "trains",  "boxing", "cars",   "café",       "fiancée",  "naïve",  "ocean",
};
constexpr std::string_view kAwards[] = {
    "Best Picture",
    "Best Actor",
    "Best Actress",
    "Best Supporting Actor",
    "Best Supporting Actress",
    "Best Director",
    "Best Original Screenplay",
    "Best Adapted Screenplay",
    "Best Cinematography",
    "Best Film Editing",
    "Best Original Score",
    "Best Original Song",
    "Best Art Direction",
    "Best Costume Design",
    "Best Sound",
    "Best Visual Effects",
    "Best Makeup",
    "Best Foreign Language Film",
};
constexpr std::string_view kShops[] = {
    "Blockbuster",     "Suncoast",    "Tower Records", "Sam Goody",    "Wal-Mart",
    "K-Mart",          "Target",      "Best Buy",      "Circuit City", "Costco",
    "Hollywood Video", "Mail Order",  "Gift",          "Garage Sale",  "Flea Market",
    "Columbia House",  "Crown Books", "Musicland",     "Café Vidéo",   "Kaufhof",
};
constexpr std::string_view kDescriptionStarts[] = {
    "A young",     "An aging", "A retired",    "A lonely",     "A determined", "A reluctant",   "A brilliant",
    "A washed-up", "A naïve",  "An ambitious", "A mysterious", "A small-town", "A hard-boiled",
};
constexpr std::string_view kDescriptionRoles[] = {
    "detective", "teacher", "boxer",   "singer",   "sheriff",   "lawyer", "nurse",
    "pilot",     "thief",   "priest",  "reporter", "scientist", "cowboy", "waitress",
    "soldier",   "chef",    "fiancée", "gambler",  "spy",
};
constexpr std::string_view kDescriptionPlots[] = {
    "must solve a murder before dawn",
    "falls in love with a stranger",
    "plans one last heist",
    "returns home to settle an old score",
    "discovers a family secret",
    "is framed for a crime",
    "crosses the desert to find a lost brother",
    "takes on the mob",
    "is haunted by a ghost",
    "trains for the fight of a lifetime",
    "searches for buried treasure",
    "uncovers a conspiracy",
    "must save the town from a \"monster\"",
    "is stranded on an island",
    "opens a café in Paris",
};

// Concatenation whose parts are evaluated left to right (a braced list guarantees the order, so
// the random draws inside the parts happen in the same order with every compiler).
std::string join(std::initializer_list<std::string_view> parts) {
    std::string s;
    for (std::string_view p : parts)
        s.append(p);
    return s;
}

template <size_t N> std::string_view pick(const std::string_view (&words)[N], uint32_t index) {
    return words[index % N];
}

// Cuts UTF-8 text to at most n characters.
void cut(std::string& s, size_t n) {
    size_t chars = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
            if (chars == n) {
                s.resize(i);
                return;
            }
            ++chars;
        }
    }
}

} // namespace

SampleVideos::SampleVideos(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull) {}

// splitmix64: a well-mixed sequence that is identical on every platform.
uint64_t SampleVideos::raw() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

uint32_t SampleVideos::below(uint32_t n) {
    return n == 0 ? 0 : static_cast<uint32_t>((raw() >> 16) % n);
}

bool SampleVideos::chance(uint32_t percent) {
    return below(100) < percent;
}

std::string SampleVideos::person() {
    std::string s(pick(kFirstNames, below(1u << 30)));
    if (chance(8)) {
        s += ' ';
        s += static_cast<char>('A' + below(26));
        s += '.';
    }
    s += ' ';
    s += pick(kLastNames, below(1u << 30));
    cut(s, 25);
    return s;
}

std::string SampleVideos::title() {
    std::string s;
    auto adj = [&] { return std::string(pick(kAdjectives, below(1u << 30))); };
    auto noun = [&] { return std::string(pick(kNouns, below(1u << 30))); };
    auto first = [&] { return std::string(pick(kFirstNames, below(1u << 30))); };
    switch (below(12)) {
    case 0:
    case 1:
        s = join({"The ", adj(), " ", noun()});
        break;
    case 2:
        s = join({noun(), " of the ", noun()});
        break;
    case 3:
        s = join({adj(), " ", noun()});
        break;
    case 4:
        s = join({first(), "'s ", noun()});
        break;
    case 5:
        s = join({"\"", noun(), "\" ", noun()});
        break;
    case 6:
        s = join({"Return to ", pick(kPlaces, below(1u << 30))});
        break;
    case 7:
        s = join({"The ", noun(), " from ", pick(kPlaces, below(1u << 30))});
        break;
    case 8:
        s = std::string(pick(kForeignTitles, below(1u << 30)));
        break;
    case 9:
        s = join({"A ", noun(), " in ", pick(kPlaces, below(1u << 30))});
        break;
    case 10:
        s = join({adj(), " ", noun(), ", ", adj(), " ", noun()});
        break;
    default:
        s = join({noun(), " ", noun()});
        break;
    }
    static constexpr std::string_view kSequels[] = {"II", "III", "IV", "Part 2", "Returns", "Reloaded"};
    if (chance(6)) s += join({" ", pick(kSequels, below(1u << 30))});
    if (chance(3)) s += join({": The ", adj(), " Years"});
    cut(s, 60);
    return s;
}

std::string SampleVideos::date(int fromYear, int toYear) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int year = fromYear + static_cast<int>(below(static_cast<uint32_t>(toYear - fromYear + 1)));
    int month = 1 + static_cast<int>(below(12));
    int days = kDays[month - 1];
    if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0)) days = 29;
    int day = 1 + static_cast<int>(below(static_cast<uint32_t>(days)));
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", year, month, day);
    return buf;
}

void SampleVideos::next(Record& r) {
    ++serial_;
    for (auto& v : r)
        v.clear();
    char buf[64];

    r[0] = title();
    int stars = static_cast<int>(below(7)); // 0..6 stars
    if (stars == 0 && chance(50)) stars = 2;
    for (int i = 0; i < stars; ++i)
        r[1 + i] = person();
    if (chance(70)) r[7] = person();
    if (chance(92)) r[8] = person();
    if (chance(80)) r[9] = std::string(pick(kStudios, below(1u << 30)));
    int year = 1920 + static_cast<int>(below(78));
    if (chance(95)) r[10] = std::to_string(year);
    if (chance(90)) r[11] = std::to_string(70 + below(140));
    if (chance(85)) r[12] = std::string(pick(kRatings, below(1u << 30)));
    if (chance(90)) r[13] = std::string(pick(kCategories, below(1u << 30)));
    if (chance(80)) r[14] = std::string(year < 1950 ? "B&W" : pick(kPictures, below(1u << 30)));
    if (chance(75)) r[15] = std::string(pick(kSounds, below(1u << 30)));
    std::string_view format = pick(kFormats, below(1u << 30));
    if (chance(90)) r[16] = std::string(format);
    if (chance(60)) r[17] = std::string(pick(kPersonal, below(1u << 30)));
    std::snprintf(buf, sizeof buf, "%c%05u", format == "Laser Disc" ? 'L' : 'T',
                  static_cast<unsigned>(1 + (serial_ - 1) / 3 % 99999));
    if (chance(93)) r[18] = buf;
    if (format != "Laser Disc" && format != "DVD" && chance(70))
        r[19] = std::string(pick(kSpeeds, below(1u << 30)));
    if (chance(50)) {
        unsigned start = below(5000);
        std::snprintf(buf, sizeof buf, "%04u", start);
        r[20] = buf;
        std::snprintf(buf, sizeof buf, "%04u", start + 500 + below(3000));
        r[21] = buf;
    }
    if (chance(65)) {
        std::string d =
            join({pick(kDescriptionStarts, below(1u << 30)), " ", pick(kDescriptionRoles, below(1u << 30)),
                  " ", pick(kDescriptionPlots, below(1u << 30)), "."});
        if (chance(40)) d += join({" Filmed in ", pick(kPlaces, below(1u << 30)), "."});
        if (chance(10)) d += "\tSee also the sequel.";
        cut(d, 140);
        r[22] = d;
    }
    if (chance(70)) r[23] = std::string(pick(kContents, below(1u << 30)));
    if (chance(25)) {
        std::string m(pick(kMisc, below(1u << 30)));
        if (chance(40)) m += join({", ", pick(kMisc, below(1u << 30))});
        r[24] = m;
    }
    if (chance(40)) {
        std::string k(pick(kKeyWords, below(1u << 30)));
        int more = static_cast<int>(below(4));
        for (int i = 0; i < more; ++i)
            k += join({", ", pick(kKeyWords, below(1u << 30))});
        cut(k, 80);
        r[25] = k;
    }
    if (format == "Laser Disc") r[26] = std::string(pick(kLaser, below(1u << 30)));
    if (chance(70)) {
        static constexpr unsigned kCents[] = {95, 99, 98, 0, 49};
        const unsigned dollars = 5 + below(95);
        const unsigned cents = kCents[below(5)];
        std::snprintf(buf, sizeof buf, "%u.%02u", dollars, cents);
        r[27] = buf;
    }
    if (chance(12)) {
        std::string n(pick(kAwards, below(1u << 30)));
        int more = static_cast<int>(below(3));
        for (int i = 0; i < more; ++i)
            n += join({", ", pick(kAwards, below(1u << 30))});
        cut(n, 110);
        r[28] = n;
        if (chance(50)) r[29] = std::string(pick(kAwards, below(1u << 30)));
    }
    bool out = chance(8);
    r[30] = out ? "Yes" : "No";
    if (out) {
        r[31] = date(1995, 1997);
        r[32] = person();
    }
    if (chance(60)) {
        const unsigned dollars = 3 + below(60);
        const unsigned cents = below(100);
        std::snprintf(buf, sizeof buf, "%u.%02u", dollars, cents);
        r[33] = buf;
    }
    if (chance(60)) r[34] = date(std::max(year, 1980), 1997);
    if (chance(50)) r[35] = std::string(pick(kShops, below(1u << 30)));
    r[36] = chance(70) ? "Yes" : "No";
    if (chance(55)) {
        std::string w = person();
        if (chance(30)) w += join({", ", person()});
        cut(w, 60);
        r[37] = w;
    }
    if (chance(10)) r[38] = join({"Shelf ", std::to_string(1 + below(40))});
    if (chance(5)) r[39] = join({"Copy of ", person()});
}

} // namespace cli
