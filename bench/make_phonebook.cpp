// Writes a large, realistic phone book for the benchmarks. The same size and seed always
// give the same rows, so figures taken on different days compare like with like.

#include "store/PhoneBook.h"
#include "store/Schema.h"

#include <QCoreApplication>
#include <QFile>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <random>
#include <sqlite3.h>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Names
{
    std::vector<std::string_view> given;
    std::vector<std::string_view> family;
    std::string_view country;
    std::string_view prefix;
};

// People from the places a European office deals with, in their own scripts.
const std::vector<Names>& peoples()
{
    static const std::vector<Names> all{
        {{"Łukasz", "Małgorzata", "Wojciech", "Zofia", "Paweł", "Agnieszka", "Grzegorz",
          "Katarzyna", "Jędrzej", "Żaneta"},
         {"Wąsowski", "Kowalczyk", "Nowak", "Wiśniewska", "Łęcki", "Zieliński", "Szymańska",
          "Dąbrowski", "Woźniak", "Kaczmarek"},
         "Polska",
         "+48"},
        {{"Jürgen", "Uwe", "Björn", "Käthe", "Jörg", "Günther", "Sören", "Ute", "Heike", "Lars"},
         {"Müller", "Schäfer", "Groß", "Weiß", "Köhler", "Bäcker", "Schröder", "Krüger", "Fuchs",
          "Hoffmann"},
         "Deutschland",
         "+49"},
        {{"Françoise", "Hélène", "Jérôme", "Anaïs", "Benoît", "Cécile", "Loïc", "Noël", "Gaëlle",
          "Étienne"},
         {"Lefèvre", "Dupré", "Bérénger", "Moreau", "Garçon", "Rousseau", "Lemaître", "Chevalier",
          "Girard", "Barthélemy"},
         "France",
         "+33"},
        {{"Γιώργος", "Ελένη", "Δημήτρης", "Μαρία", "Νίκος", "Κατερίνα", "Σπύρος", "Αθηνά",
          "Παναγιώτης", "Σοφία"},
         {"Παπαδόπουλος", "Νικολάου", "Γεωργίου", "Οικονόμου", "Βασιλείου", "Κωνσταντίνου",
          "Αλεξίου", "Μακρής", "Ιωάννου", "Δημητρίου"},
         "Ελλάδα",
         "+30"},
        {{"Дмитрий", "Анна", "Сергей", "Ольга", "Алексей", "Наталья", "Иван", "Екатерина", "Юрий",
          "Татьяна"},
         {"Иванов", "Смирнова", "Кузнецов", "Попова", "Соколов", "Лебедева", "Козлов", "Новикова",
          "Морозов", "Волкова"},
         "Россия",
         "+7"},
        {{"伟", "芳", "娜", "敏", "静", "磊", "洋", "艳", "勇", "军"},
         {"王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴", "周"},
         "中国",
         "+86"},
        {{"محمد", "فاطمة", "أحمد", "مريم", "علي", "خديجة", "عمر", "ليلى", "يوسف", "سارة"},
         {"العلي", "الحسن", "المصري", "الخطيب", "النجار", "الحداد", "السيد", "الشامي", "البغدادي",
          "القاسم"},
         "مصر",
         "+20"},
        {{"James", "Mary", "Robert", "Linda", "David", "Susan", "Thomas", "Karen", "Daniel",
          "Emma"},
         {"Smith", "O'Brien", "Johnson", "Williams", "Brown", "McAllister", "Taylor", "Clarke",
          "Evans", "Hughes"},
         "United Kingdom",
         "+44"},
    };
    return all;
}

const std::vector<std::string_view> kGroups{
    "Family",  "Work",    "Friends",    "Club",       "Suppliers",    "Kunden",      "Clients",
    "Πελάτες", "Клиенты", "客户",       "عملاء",      "Sprzedaż",     "Außendienst", "Comité",
    "Doctors", "School",  "Neighbours", "Handwerker", "Fournisseurs", "Partnerzy"};

const std::vector<std::string_view> kCompanies{
    "Acme Sp. z o.o.", "Müller & Söhne GmbH", "Société Générale de Câbles",
    "Ολυμπιακή Α.Ε.",  "ООО «Северсталь»",    "华为技术有限公司",
    "شركة النيل",      "Brown & Evans Ltd"};
const std::vector<std::string_view> kTitles{"Director", "Kierownik", "Einkäufer", "Ingénieure",
                                            "Λογιστής", "Менеджер",  "经理",      "محاسب"};
const std::vector<std::string_view> kSubNames{"Office",    "Home", "Assistant",   "Reception",
                                              "Warehouse", "Büro", "Secrétariat", "Дача"};

class Random
{
public:
    explicit Random(std::uint64_t seed) : m_engine(seed) {}
    // Reduced by hand: the standard distributions may differ between library versions,
    // which would make the same seed give another book.
    std::size_t below(std::size_t n) { return std::size_t(m_engine() % n); }
    bool percent(unsigned chance) { return below(100) < chance; }
    template <typename T> const T& pick(const std::vector<T>& items)
    {
        return items[below(items.size())];
    }

private:
    std::mt19937_64 m_engine;
};

class Statement
{
public:
    Statement(sqlite3* db, const char* sql)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr) != SQLITE_OK)
            std::fprintf(stderr, "make_phonebook: %s\n", sqlite3_errmsg(db));
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& text(int position, const std::string& value)
    {
        sqlite3_bind_text(m_statement, position, value.data(), int(value.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& integer(int position, sqlite3_int64 value)
    {
        sqlite3_bind_int64(m_statement, position, value);
        return *this;
    }
    bool run()
    {
        const int result = sqlite3_step(m_statement);
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
        return result == SQLITE_DONE;
    }
    bool ok() const { return m_statement != nullptr; }

private:
    sqlite3_stmt* m_statement = nullptr;
};

std::string phoneNumber(Random& random, std::string_view prefix)
{
    std::string number(prefix);
    number += ' ';
    number += std::to_string(10 + random.below(90));
    number += ' ';
    for (int i = 0; i < 7; ++i)
        number += char('0' + random.below(10));
    return number;
}

bool exec(sqlite3* db, const char* sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) == SQLITE_OK)
        return true;
    std::fprintf(stderr, "make_phonebook: %s\n", error ? error : "unknown error");
    sqlite3_free(error);
    return false;
}

int usage()
{
    std::fprintf(stderr, "usage: make_phonebook FILE NAMES [SEED]\n"
                         "Writes a new phone book FILE holding NAMES names (the file must not "
                         "exist).\n");
    return 2;
}

struct Person
{
    sqlite3_int64 id = 0;
    sqlite3_int64 group = 0;
    std::size_t people = 0;
};

bool fill(sqlite3* db, long count, std::uint64_t seed)
{
    Random random(seed);
    Statement group(db, "INSERT INTO groups (name) VALUES (?)");
    Statement name(db, "INSERT INTO names (name, parent, \"group\", FullName, Company, JobTitle,"
                       " Email, Country, Notes) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    Statement number(db, "INSERT INTO numbers (name, parent, type) VALUES (?, ?, ?)");
    Statement speedDial(db, "INSERT INTO SpeedDials (Name, Number) VALUES (?, ?)");
    if (!group.ok() || !name.ok() || !number.ok() || !speedDial.ok())
        return false;

    // An office book: a group for every thousand names or so, a few of them empty.
    const std::size_t groupCount = std::clamp<std::size_t>(std::size_t(count / 1000), 8, 60);
    std::vector<sqlite3_int64> groups;
    for (std::size_t i = 0; i < groupCount; ++i) {
        std::string text(kGroups[i % kGroups.size()]);
        if (i >= kGroups.size())
            text += ' ' + std::to_string(i / kGroups.size() + 1);
        if (!group.text(1, text).run())
            return false;
        groups.push_back(sqlite3_last_insert_rowid(db));
    }

    const auto& kinds = telvora::schema::numberKinds();
    std::vector<std::string> kindTexts;
    for (const QString& kind : kinds)
        kindTexts.push_back(kind.toStdString());

    std::vector<Person> topLevel;
    std::vector<std::pair<std::string, std::string>> dials;
    for (long i = 0; i < count; ++i) {
        // About one name in seven files under another (a person's office, their home).
        const bool sub = !topLevel.empty() && random.percent(15);
        Person person;
        std::string text;
        sqlite3_int64 parent = 0;
        if (sub) {
            const Person& owner = random.pick(topLevel);
            parent = owner.id;
            person.group = owner.group;
            person.people = owner.people;
            text = std::string(random.pick(kSubNames));
        } else {
            person.people = random.below(peoples().size());
            // Some books keep names outside any group.
            person.group = random.percent(10) ? 0 : random.pick(groups);
        }
        const Names& people = peoples()[person.people];
        const std::string given(random.pick(people.given));
        const std::string family(random.pick(people.family));
        const bool familyFirst = people.prefix == "+86"; // and written without a space
        if (!sub) {
            text = familyFirst ? family + given : family + ", " + given;
            // A second given name keeps most names apart, as in a real book.
            if (!familyFirst && random.percent(60))
                text += ' ' + std::string(random.pick(people.given));
        }
        const std::string full = familyFirst ? family + given : given + ' ' + family;
        const std::string email = "contact" + std::to_string(i) + "@example.org";
        const std::string notes =
            random.percent(20) ? "Met at the fair, " + std::to_string(2000 + random.below(25))
                               : std::string();
        name.text(1, text)
            .integer(2, parent)
            .integer(3, person.group)
            .text(4, full)
            .text(5, std::string(random.pick(kCompanies)))
            .text(6, std::string(random.pick(kTitles)))
            .text(7, email)
            .text(8, std::string(people.country))
            .text(9, notes);
        if (!name.run())
            return false;
        person.id = sqlite3_last_insert_rowid(db);
        if (!sub)
            topLevel.push_back(person);

        // One to five numbers, three on average, of any of the four kinds.
        const std::size_t numbers = 1 + random.below(5);
        for (std::size_t n = 0; n < numbers; ++n) {
            const std::string digits = phoneNumber(random, people.prefix);
            if (!number.text(1, digits).integer(2, person.id).text(3, random.pick(kindTexts)).run())
                return false;
            if (dials.size() < 40 && random.below(std::size_t(count / 40 + 1)) == 0)
                dials.emplace_back(full, digits);
        }
    }
    for (const auto& [text, digits] : dials) {
        if (!speedDial.text(1, text).text(2, digits).run())
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 3 || argc > 4)
        return usage();
    const QString file = QString::fromLocal8Bit(argv[1]);
    char* end = nullptr;
    const long count = std::strtol(argv[2], &end, 10);
    if (*end != '\0' || count < 0)
        return usage();
    const std::uint64_t seed = argc == 4 ? std::strtoull(argv[3], nullptr, 10) : 1;
    if (QFile::exists(file)) {
        std::fprintf(stderr, "make_phonebook: %s exists; it is left as it is\n", argv[1]);
        return 1;
    }

    // The program makes the file, so the benchmarks read exactly the schema it creates.
    {
        telvora::PhoneBook book;
        if (book.open(file) != telvora::PhoneBook::State::Created) {
            std::fprintf(stderr, "make_phonebook: %s\n", qPrintable(book.errorText()));
            return 1;
        }
    }

    sqlite3* db = nullptr;
    if (sqlite3_open_v2(argv[1], &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "make_phonebook: %s\n", sqlite3_errmsg(db));
        sqlite3_close(db);
        return 1;
    }
    // No ANALYZE: the program never runs it, so the benchmarks see the plans a user's book gets.
    const bool written = exec(db, "BEGIN") && fill(db, count, seed) && exec(db, "COMMIT");
    sqlite3_close(db);
    if (!written)
        return 1;
    // The rows went in as another program writes them, without sort keys; opening the book
    // keys them, as it would for the user.
    telvora::PhoneBook book;
    if (book.open(file) != telvora::PhoneBook::State::Opened || book.sortIdentity().isEmpty()) {
        std::fprintf(stderr, "make_phonebook: %s\n", qPrintable(book.errorText()));
        return 1;
    }
    return 0;
}
