#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <set>
#include <sstream>

#include "common/error.h"
#include "hostkit/messages/headless_message_service.h"
#include "hostkit/messages/headless_translation_service.h"
#include "hostkit/messages/log_service.h"
#include "hostkit/messages/message_buttons.h"
#include "hostkit/messages/message_catalogue.h"
#include "test_helpers.h"

namespace briskal::hostkit {

void PrintTo(const ShownMessage& m, std::ostream* os) {
  *os << "{" << m.number << ", \"" << m.text << "\", " << m.buttons << ", \"" << m.title << "\", answer "
      << m.answer << "}";
}

namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

const RegionalSettings kEn = RegionalSettings::english();

template <typename F>
std::optional<Error> caught(F&& call) {
  try {
    call();
  } catch (const Error& e) {
    return e;
  }
  return std::nullopt;
}

MessageCatalogue shipped(const char* language) {
  return MessageCatalogue::load(fs::path(BRISKAL_MESSAGES_DIR) / (std::string(language) + ".tsv"));
}

// ---- Catalogue file format ----

TEST(CatalogueParsing, ReadsEntriesSkippingCommentsAndResolvingEscapes) {
  const auto catalogue = MessageCatalogue::parse(
      "# comment\n\n10\tfirst line\\r\\nsecond\\ttab \\\\ end\\s\r\n# 11\tnot an entry\n12\t%1 ok\n", "test");
  EXPECT_THAT(catalogue.numbers(), ElementsAre(10, 12));
  EXPECT_EQ(catalogue.text(10, {}, kIt), "first line\r\nsecond\ttab \\ end ");
  EXPECT_EQ(catalogue.text(12, {Value("x")}, kIt), "x ok");
  EXPECT_EQ(catalogue.text(11, {}, kIt), "[11]");
}

TEST(CatalogueParsing, NamesTheLineOfTheFirstMalformedEntry) {
  struct Case {
    std::string content;
    std::string expected;
  };
  const Case cases[] = {
      {"# header\n10\tok\n11 no tab\n", "line 3: expected NUMBER<TAB>TEXT"},
      {"abc\ttext\n", "line 1: \"abc\" is not a message number"},
      {"10\tok\n\n0\tzero\n", "line 3: \"0\" is not a message number"},
      {"-5\tnegative\n", "line 1: \"-5\" is not a message number"},
      {"99999999999\ttoo big\n", "line 1:"},
      {"\tno number\n", "line 1:"},
      {"10\tone\n11\ttwo\n10\tagain\n", "line 3: number 10 is already on line 1"},
      {"10\tbad \\q escape\n", "line 1: unknown escape"},
      {"10\tends in \\\n", "line 1: unknown escape"},
      {"10\tok\n20\t\n", "line 2: empty text"},
      {"10\tQuantit\xE0\n", "line 1: the text is not UTF-8"},
      {"10\tok\n[captions]\n10\tok\n", "line 3: expected NUMBER<TAB>DEFAULT<TAB>TEXT"},
      {"[captions]\n10\tVia\tVia\n10\tVia\tStrada\n", "line 3: caption 10 \"Via\" is already on line 2"},
      {"[captions]\n10\t\tVia\n", "line 2: empty text"},
      {"[screen]\nSalva\n", "line 2: expected ITALIAN<TAB>TEXT"},
      {"[screen]\n\tSave\n", "line 2: expected ITALIAN<TAB>TEXT"},
      {"[screen]\n&Salva\t&Save\n&Salva\tSave\n", "line 3: screen text \"&Salva\" is already on line 2"},
  };
  for (const Case& c : cases) {
    const auto error = caught([&] { MessageCatalogue::parse(c.content, "it.tsv"); });
    ASSERT_TRUE(error) << c.content;
    EXPECT_EQ(error->number(), 321) << c.content;
    EXPECT_THAT(error->description(), HasSubstr("it.tsv, " + c.expected)) << c.content;
  }
}

TEST(CatalogueParsing, ScreenTextsTranslateTheItalianAndKeepWhatTheyLack) {
  const auto catalogue = MessageCatalogue::parse(
      "10\tten\n[screen]\n&Avanti\t&Next\nIl database %1 non esiste.\\nCrearlo?\tNo database %1.\\nCreate "
      "it?\n",
      "en.tsv");
  EXPECT_EQ(catalogue.screenText("&Avanti"), "&Next");
  EXPECT_EQ(catalogue.screenText("Il database %1 non esiste.\nCrearlo?"), "No database %1.\nCreate it?");
  EXPECT_EQ(catalogue.screenText("Avanti"), "Avanti");
  EXPECT_EQ(catalogue.text(10, {}, kIt), "ten");
}

TEST(CatalogueParsing, MissingFileIsFileNotFound) {
  const auto error = caught([] { MessageCatalogue::load("/nonexistent/messages/xx.tsv"); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->number(), 53);
  EXPECT_THAT(error->description(), HasSubstr("xx.tsv"));
}

// ---- Parameters ----

TEST(CatalogueParameters, FollowTheRegionalSettings) {
  const auto catalogue = MessageCatalogue::parse("1\tQty %1 on %2, weight %3\n", "test");
  const std::vector<Value> parameters{Value(*Decimal::parse("1234.5")),
                                      Value(DateTime::fromParts(2024, 3, 5)), Value(2.25)};
  EXPECT_EQ(catalogue.text(1, parameters, kIt), "Qty 1234,5 on 05/03/2024, weight 2,25");
  EXPECT_EQ(catalogue.text(1, parameters, kEn), "Qty 1234.5 on 3/5/2024, weight 2.25");
}

TEST(CatalogueParameters, SubstituteByPositionOnce) {
  const auto catalogue = MessageCatalogue::parse("1\t%2-%1-%2 %0 %% 5% %10\n2\t[%1|%2|%3]\n", "test");
  EXPECT_EQ(catalogue.text(1, {Value("a"), Value("b")}, kIt), "b-a-b %0 %% 5% a0");
  // A parameter's own text is not expanded again.
  EXPECT_EQ(catalogue.text(1, {Value("%2"), Value("x")}, kIt), "x-%2-x %0 %% 5% %20");
  EXPECT_EQ(catalogue.text(2, {Value::null(), Value()}, kIt), "[||]");
  EXPECT_EQ(catalogue.text(2, {Value(int32_t{7})}, kIt), "[7||]");
}

// ---- The shipped catalogues ----

TEST(ShippedCatalogues, HoldTheSameNumbers) {
  const auto it = shipped("it");
  const auto en = shipped("en");
  EXPECT_GE(it.size(), 60u);
  EXPECT_EQ(it.numbers(), en.numbers());
}

std::string fileText(const fs::path& file) {
  std::ifstream in(file);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

// Arrows, marks and names in capitals (EPL) read the same in every language.
bool readsTheSameInEveryLanguage(const std::string& text) {
  return std::none_of(text.begin(), text.end(),
                      [](char c) { return std::islower(static_cast<unsigned char>(c)); });
}

// Every text of the forms' layouts shows in English: a layout edited in the designer with a new
// caption fails here until the catalogue has it.
TEST(ShippedCatalogues, TranslateEveryTextOfTheFormLayouts) {
  const auto en = shipped("en");
  const std::regex text("<string>([^<]+)</string>");
  size_t checked = 0;
  for (const auto& file :
       std::filesystem::directory_iterator(std::filesystem::path(BRISKAL_MESSAGES_DIR) / ".." / "forms")) {
    const std::string layout = fileText(file.path());
    for (auto m = std::sregex_iterator(layout.begin(), layout.end(), text); m != std::sregex_iterator();
         ++m) {
      std::string italian = std::regex_replace((*m)[1].str(), std::regex("&amp;"), "&");
      if (readsTheSameInEveryLanguage(italian)) continue;
      ++checked;
      EXPECT_NE(en.screenText(italian), italian) << file.path().filename() << ": \"" << italian << "\"";
    }
  }
  EXPECT_GE(checked, 60u);
}

// Every text the desktop's own code writes on screen, as texts("..."), texts_("...") or
// texts()("..."), shows in English: a new dialog fails here until the catalogue has its texts.
TEST(ShippedCatalogues, TranslateEveryTextTheDesktopCodeWrites) {
  const auto en = shipped("en");
  // The Italian texts the English catalogue's screen section holds, some of which read the same.
  std::set<std::string> held;
  const std::string catalogue = fileText(fs::path(BRISKAL_MESSAGES_DIR) / "en.tsv");
  std::istringstream lines(catalogue.substr(catalogue.find("\n[screen]\n")));
  for (std::string line; std::getline(lines, line);)
    if (const size_t tab = line.find('\t'); tab != std::string::npos) held.insert(line.substr(0, tab));
  // A call's text, its string literals joined as the compiler joins them.
  const std::regex call(R"re(texts_?(?:\(\))?\(\s*((?:"(?:[^"\\]|\\.)*"\s*)+))re");
  const std::regex literal(R"re("((?:[^"\\]|\\.)*)")re");
  const fs::path source(BRISKAL_SOURCE_DIR);
  std::vector<fs::path> files{source / "apps" / "desktop" / "main.cpp"};
  for (const auto& file : fs::directory_iterator(source / "hostkit" / "qt"))
    if (file.path().extension() == ".cpp") files.push_back(file.path());
  size_t checked = 0;
  for (const fs::path& file : files) {
    const std::string code = fileText(file);
    for (auto m = std::sregex_iterator(code.begin(), code.end(), call); m != std::sregex_iterator(); ++m) {
      const std::string literals = (*m)[1].str();
      std::string written;
      for (auto l = std::sregex_iterator(literals.begin(), literals.end(), literal);
           l != std::sregex_iterator(); ++l)
        written += (*l)[1].str();
      const std::string italian = std::regex_replace(std::regex_replace(written, std::regex(R"(\\n)"), "\n"),
                                                     std::regex(R"(\\")"), "\"");
      if (readsTheSameInEveryLanguage(italian)) continue;
      ++checked;
      EXPECT_TRUE(en.screenText(italian) != italian || held.contains(italian))
          << file.filename() << ": \"" << italian << "\"";
    }
  }
  EXPECT_GE(checked, 50u);
}

// A form's caption is the title of the message boxes it shows: each reads in English too.
TEST(ShippedCatalogues, TranslateTheCaptionOfEveryForm) {
  const auto en = shipped("en");
  const std::regex caption(R"re(ComponentForm\(runtime, "\w+", "([^"]+)"\))re");
  size_t checked = 0;
  for (const auto& file : fs::recursive_directory_iterator(fs::path(BRISKAL_SOURCE_DIR) / "src")) {
    if (file.path().extension() != ".cpp") continue;
    const std::string code = fileText(file.path());
    for (auto m = std::sregex_iterator(code.begin(), code.end(), caption); m != std::sregex_iterator(); ++m) {
      ++checked;
      EXPECT_NE(en.screenText((*m)[1].str()), (*m)[1].str()) << file.path().filename();
    }
  }
  EXPECT_EQ(checked, 3u);
}

TEST(ShippedCatalogues, HoldTheItalianTextsExactly) {
  const auto it = shipped("it");
  EXPECT_EQ(it.text(30178, {}, kIt), "Il cambio azienda comporta la chiusura del programma, proseguo ?");
  EXPECT_EQ(it.text(64773, {}, kIt), "Inserire quantità per etichetta");
  EXPECT_EQ(it.text(40011, {}, kIt),
            "Non è stato indicato alcun filtro per l'elaborazione, proseguire comunque?");
  EXPECT_EQ(it.text(11081, {}, kIt), "Classe Log non settata");
  EXPECT_EQ(it.text(47521, {}, kIt), "Quantita' in ordine");
  EXPECT_EQ(it.text(20189, {}, kIt), "Default");
  EXPECT_EQ(it.text(74594, {Value("altezza insufficiente.")}, kIt),
            "Dimensionamento etichetta:\r\naltezza insufficiente.\r\r\nContinuare?");
  EXPECT_EQ(it.text(74613, {Value(int16_t{1})}, kIt), "lunghezza insufficiente, riga numero 1.");
  EXPECT_EQ(it.text(74615, {Value("AB"), Value("ETICHETTA AB")}, kIt),
            "Eliminare la personalizzazione:\rAB\rETICHETTA AB ? ");
  EXPECT_EQ(it.text(74630, {Value("Ordini lavorazione")}, kIt), "Modifica etichette (Ordini lavorazione)");
  EXPECT_EQ(
      it.text(900001, {Value("AB")}, kIt),
      "Un'altra postazione ha appena salvato la personalizzazione AB: salvare di nuovo per sostituirla.");
}

// The numbers the component adds to the host's own, beyond them: the save form's failures.
TEST(ShippedCatalogues, TheComponentsOwnNumbersReadInEachLanguage) {
  const auto it = shipped("it");
  const auto en = shipped("en");
  const std::vector<Value> cause{Value("disk full")};
  EXPECT_EQ(en.text(900001, {Value("AB")}, kEn),
            "Another workstation has just saved layout AB: save again to replace it.");
  EXPECT_EQ(it.text(900002, cause, kIt), "La personalizzazione non è stata salvata:\r\ndisk full");
  EXPECT_EQ(en.text(900002, cause, kEn), "The layout was not saved:\r\ndisk full");
  EXPECT_EQ(it.text(900003, cause, kIt), "La personalizzazione non è stata eliminata:\r\ndisk full");
  EXPECT_EQ(en.text(900003, cause, kEn), "The layout was not deleted:\r\ndisk full");
}

TEST(ShippedCatalogues, TranslationsTakeTheSameParameters) {
  const auto it = shipped("it");
  const auto en = shipped("en");
  const std::vector<Value> markers{Value("<1>"), Value("<2>"), Value("<3>")};
  const std::regex marker("<[0-9]>");
  for (const int32_t number : it.numbers()) {
    const std::string itText = it.text(number, markers, kIt);
    const std::string enText = en.text(number, markers, kEn);
    std::multiset<std::string> itMarkers(std::sregex_token_iterator(itText.begin(), itText.end(), marker),
                                         std::sregex_token_iterator());
    std::multiset<std::string> enMarkers(std::sregex_token_iterator(enText.begin(), enText.end(), marker),
                                         std::sregex_token_iterator());
    EXPECT_EQ(itMarkers, enMarkers) << number;
  }
}

// ---- Buttons ----

TEST(MessageButtons, DefaultButtonFollowsTheSetAndItsFlag) {
  struct Case {
    int32_t buttons;
    int expected;
  };
  // clang-format off
  const Case cases[] = {
      {0, host::msg::kOk},          {0 + 256, host::msg::kOk},       {1, host::msg::kOk},
      {1 + 256, host::msg::kCancel}, {2, host::msg::kAbort},         {2 + 256, host::msg::kRetry},
      {2 + 512, host::msg::kIgnore}, {3, host::msg::kYes},           {3 + 256, host::msg::kNo},
      {3 + 512, host::msg::kCancel}, {4, host::msg::kYes},           {4 + 256, host::msg::kNo},
      {4 + 512, host::msg::kYes},    {5, host::msg::kRetry},         {5 + 256, host::msg::kCancel},
      {36, host::msg::kYes},         {308, host::msg::kNo},          {4370, host::msg::kRetry},
      {64, host::msg::kOk},          {48 + 4096 + 1 + 256, host::msg::kCancel},
  };
  // clang-format on
  for (const Case& c : cases) EXPECT_EQ(defaultAnswer(c.buttons), c.expected) << c.buttons;
}

TEST(MessageButtons, AffirmativeAndNegativeAreButtonsOfTheBox) {
  using namespace host::msg;
  EXPECT_THAT(boxAnswers(4370), ElementsAre(kAbort, kRetry, kIgnore));
  EXPECT_THAT(boxAnswers(35), ElementsAre(kYes, kNo, kCancel));
  const std::pair<int, int> expected[] = {{kOk, kOk},  {kOk, kCancel}, {kRetry, kAbort},
                                          {kYes, kNo}, {kYes, kNo},    {kRetry, kCancel}};
  for (int32_t set = 0; set < 6; ++set) {
    EXPECT_EQ(affirmativeAnswer(set + 48 + 256), expected[set].first) << set;
    EXPECT_EQ(negativeAnswer(set + 48 + 256), expected[set].second) << set;
  }
}

// ---- Headless message boxes ----

class HeadlessMessages : public ::testing::Test {
 protected:
  MessageCatalogue catalogue_ = shipped("it");
  std::vector<ShownMessage> sunk_;
  HeadlessMessageService service_{catalogue_, kIt, [this](const ShownMessage& m) { sunk_.push_back(m); },
                                  AnswerPolicy::defaultButton()};
};

TEST_F(HeadlessMessages, RecordsEachBoxWithItsAnswer) {
  EXPECT_EQ(service_.numberedBox(74594, 36, "Stampa etichette", {Value("altezza insufficiente.")}),
            host::msg::kYes);
  EXPECT_EQ(service_.textBox("Errore generico", 48, "Titolo"), host::msg::kOk);
  EXPECT_EQ(service_.numberedBox(99999, 308, "T", {}), host::msg::kNo);
  EXPECT_THAT(
      service_.shown(),
      ElementsAre(ShownMessage{74594, "Dimensionamento etichetta:\r\naltezza insufficiente.\r\r\nContinuare?",
                               36, "Stampa etichette", host::msg::kYes},
                  ShownMessage{0, "Errore generico", 48, "Titolo", host::msg::kOk},
                  ShownMessage{99999, "[99999]", 308, "T", host::msg::kNo}));
  // The sink sees the box before it is answered.
  ASSERT_EQ(sunk_.size(), 3u);
  EXPECT_EQ(sunk_[0].answer, 0);
  EXPECT_EQ(sunk_[0].number, 74594);
  service_.clearShown();
  EXPECT_TRUE(service_.shown().empty());
}

TEST_F(HeadlessMessages, QueuedAnswersComeFirstInOrder) {
  service_.setPolicy(AnswerPolicy::yes());
  service_.queueAnswer(host::msg::kNo);
  service_.queueAnswer(host::msg::kCancel);
  EXPECT_EQ(service_.numberedBox(30178, 36, "", {}), host::msg::kNo);
  EXPECT_EQ(service_.numberedBox(30178, 36, "", {}), host::msg::kCancel);
  EXPECT_EQ(service_.queuedAnswers(), 0u);
  EXPECT_EQ(service_.numberedBox(30178, 36, "", {}), host::msg::kYes);
}

TEST_F(HeadlessMessages, PolicyYesAndNoPickTheBoxButtons) {
  service_.setPolicy(AnswerPolicy::yes());
  EXPECT_EQ(service_.numberedBox(40011, 308, "", {}), host::msg::kYes);
  EXPECT_EQ(service_.textBox("x", 4370, ""), host::msg::kRetry);
  EXPECT_EQ(service_.numberedBox(64773, 64, "", {}), host::msg::kOk);
  service_.setPolicy(AnswerPolicy::no());
  EXPECT_EQ(service_.numberedBox(30178, 36, "", {}), host::msg::kNo);
  EXPECT_EQ(service_.textBox("x", 4370, ""), host::msg::kAbort);
  EXPECT_EQ(service_.textBox("x", 1, ""), host::msg::kCancel);
  EXPECT_EQ(service_.numberedBox(64773, 64, "", {}), host::msg::kOk);
}

TEST_F(HeadlessMessages, InteractivePolicyAsksTheHook) {
  std::vector<ShownMessage> asked;
  service_.setPolicy(AnswerPolicy::interactive([&](const ShownMessage& m) {
    asked.push_back(m);
    return host::msg::kNo;
  }));
  EXPECT_EQ(service_.numberedBox(30178, 36, "Titolo", {}), host::msg::kNo);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].text, "Il cambio azienda comporta la chiusura del programma, proseguo ?");
  EXPECT_EQ(asked[0].title, "Titolo");
  service_.setPolicy(AnswerPolicy::interactive(nullptr));
  EXPECT_EQ(service_.numberedBox(40011, 308, "", {}), host::msg::kNo);
}

TEST_F(HeadlessMessages, TextOfANumberUsesTheCatalogue) {
  EXPECT_EQ(service_.text(74630, {Value("Ordini conto lavoro attivo")}, "Modifica etichette"),
            "Modifica etichette (Ordini conto lavoro attivo)");
  EXPECT_EQ(service_.text(1, {}, "Uno"), "[1]");
  EXPECT_TRUE(service_.shown().empty());
}

// Two numbers stand for a message and a caption, or for two captions: the caption asked for by
// its own default text reads as that caption, while the message box keeps the message.
TEST_F(HeadlessMessages, CaptionsSharingANumberKeepTheirOwnText) {
  EXPECT_EQ(service_.text(64773, {}, "Quantità per etichetta"), "Quantità per etichetta");
  EXPECT_EQ(service_.text(64773, {}, "Inserire quantità per etichetta"), "Inserire quantità per etichetta");
  service_.numberedBox(64773, 64, "", {});
  EXPECT_EQ(service_.shown().back().text, "Inserire quantità per etichetta");
  EXPECT_EQ(service_.text(47977, {}, "Via"), "Via");
  EXPECT_EQ(service_.text(47977, {}, "Ragione sociale cliente"), "Ragione sociale cliente");
  const MessageCatalogue english = shipped("en");
  HeadlessMessageService en(english, kEn, nullptr, AnswerPolicy::defaultButton());
  EXPECT_EQ(en.text(64773, {}, "Quantità per etichetta"), "Quantity per label");
  EXPECT_EQ(en.text(47977, {}, "Via"), "Street");
  EXPECT_EQ(en.text(47977, {}, "Ragione sociale cliente"), "Customer name");
}

TEST_F(HeadlessMessages, TranslationServiceShowsTheMarkedTextAsItIs) {
  HeadlessTranslationService translation(service_);
  service_.queueAnswer(host::msg::kYes);
  EXPECT_EQ(translation.KVXMsgBox("[x30178x] Cambio azienda", 36, "T"), host::msg::kYes);
  EXPECT_THAT(service_.shown(),
              ElementsAre(ShownMessage{0, "[x30178x] Cambio azienda", 36, "T", host::msg::kYes}));
}

TEST(MessageStreamSink, WritesNumberAndTextOneLineABreak) {
  std::ostringstream out;
  const MessageSink sink = streamSink(out);
  sink({64773, "Inserire quantità per etichetta", 64, "T", 0});
  sink({0, "[x40011x] Nessun filtro", 308, "T", 0});
  sink({74594, "Dimensionamento etichetta:\r\nriga\r\r\nContinuare?", 36, "T", 0});
  EXPECT_EQ(out.str(),
            "[64773] Inserire quantità per etichetta\n"
            "[x40011x] Nessun filtro\n"
            "[74594] Dimensionamento etichetta:\nriga\n\nContinuare?\n");
}

// ---- Log file ----

class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (fs::temp_directory_path() / "briskal-log-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

std::vector<std::string> linesOf(const fs::path& file) {
  std::ifstream in(file);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class LogFile : public ::testing::Test {
 protected:
  ScratchFolder folder_;
  fs::path file_ = folder_.path() / "logs" / "briskal.log";
  MessageCatalogue catalogue_;
  HeadlessMessageService messages_{catalogue_, kIt, nullptr, AnswerPolicy::defaultButton()};
};

TEST_F(LogFile, WriteAppendsOneLineWithTheKeptErrors) {
  std::vector<std::string> recorded;
  FileLogService log(file_, messages_, [&](const std::string& entry) { recorded.push_back(entry); });
  log.setError(Error(3021, "Recordset", "Nessun record\r\ncorrente"));
  data::ProviderError first;
  first.description = "no such table: VDO11_BRISKAL";
  data::ProviderError second;
  second.description = "statement aborted";
  log.setErrors({first, second});
  log.write("0_0_0_0", "DAZO_BRISKAL", "CaricaRsetRigaOrd");

  const auto lines = linesOf(file_);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_TRUE(std::regex_match(
      lines[0],
      std::regex(
          R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} \| 0_0_0_0 \| DAZO_BRISKAL \| CaricaRsetRigaOrd \| )"
          R"(3021 \| Recordset \| Nessun record\\r\\ncorrente \| )"
          R"(provider: no such table: VDO11_BRISKAL; statement aborted)")))
      << lines[0];
  EXPECT_TRUE(messages_.shown().empty());
  // The host hears the same entry as one readable line.
  EXPECT_EQ(recorded, std::vector<std::string>{"CaricaRsetRigaOrd: Nessun record\\r\\ncorrente "
                                               "(no such table: VDO11_BRISKAL; statement aborted)"});
}

TEST_F(LogFile, KeptErrorsAreClearedAfterEachEntry) {
  FileLogService log(file_, messages_);
  log.setError(Error(13, "briskal", "Type mismatch"));
  data::ProviderError provider;
  provider.description = "constraint failed";
  log.setErrors({provider});
  log.write("0_0_0_0", "DAZO_BRISKAL", "First");
  log.write("0_0_0_0", "DAZO_BRISKAL", "Second");
  int32_t extra = 0;
  log.setError(Error(5, "briskal", "Invalid procedure call"));
  log.showError("DAZO_BRISKAL", "Caption", "Third", 0, extra);
  log.write("0_0_0_0", "DAZO_BRISKAL", "Fourth");

  const auto lines = linesOf(file_);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_THAT(lines[0], HasSubstr("| First | 13 | briskal | Type mismatch | provider: constraint failed"));
  EXPECT_THAT(lines[1], HasSubstr("| Second | 0 |  | "));
  EXPECT_THAT(lines[1], ::testing::Not(HasSubstr("provider")));
  EXPECT_THAT(lines[2], HasSubstr("| Third | 5 | briskal | Invalid procedure call"));
  EXPECT_THAT(lines[3], HasSubstr("| Fourth | 0 |  | "));
}

TEST_F(LogFile, ShowErrorWritesThenShowsAndReturnsTheAnswer) {
  FileLogService log(file_, messages_);
  log.setError(Error(94, "briskal", "Invalid use of Null"));
  int32_t extra = 0;
  EXPECT_EQ(
      log.showError("DAZO_BRISKAL", "Stampa etichette da ordine di lavoro", "CreaRsetSelezione", 4370, extra),
      host::msg::kRetry);
  messages_.queueAnswer(host::msg::kAbort);
  log.setError(Error(6, "briskal", "Overflow"));
  EXPECT_EQ(log.showError("DAZO_BRISKAL", "Modifica etichette", "ComputerName", 4370, extra),
            host::msg::kAbort);

  EXPECT_THAT(messages_.shown(),
              ElementsAre(ShownMessage{0, "CreaRsetSelezione: error 94 Invalid use of Null", 4370,
                                       "Stampa etichette da ordine di lavoro", host::msg::kRetry},
                          ShownMessage{0, "ComputerName: error 6 Overflow", 4370, "Modifica etichette",
                                       host::msg::kAbort}));
  const auto lines = linesOf(file_);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_THAT(lines[0],
              HasSubstr("| 0_0_0_0 | DAZO_BRISKAL | CreaRsetSelezione | 94 | briskal | Invalid use of Null"));
  EXPECT_THAT(lines[1], HasSubstr("| 0_0_0_0 | DAZO_BRISKAL | ComputerName | 6 | briskal | Overflow"));
}

TEST_F(LogFile, LogObjectsOfSeveralFormsShareTheFile) {
  {
    FileLogService parameters(file_, messages_);
    FileLogService selection(file_, messages_);
    parameters.write("0_0_0_0", "DAZO_BRISKAL", "FromParameters");
    selection.write("0_0_0_0", "DAZO_BRISKAL", "FromSelection");
    parameters.write("0_0_0_0", "DAZO_BRISKAL", "FromParametersAgain");
  }
  FileLogService later(file_, messages_);
  later.write("0_0_0_0", "DAZO_BRISKAL", "NextRun");
  const auto lines = linesOf(file_);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_THAT(lines[0], HasSubstr("FromParameters |"));
  EXPECT_THAT(lines[1], HasSubstr("FromSelection |"));
  EXPECT_THAT(lines[2], HasSubstr("FromParametersAgain |"));
  EXPECT_THAT(lines[3], HasSubstr("NextRun |"));
}

// A log file that cannot be opened leaves the entries on standard error, saying why, and the
// form that writes them goes on.
TEST_F(LogFile, AnUnopenableFileFallsBackToStandardError) {
  std::ofstream(folder_.path() / "plain-file") << "x";
  ::testing::internal::CaptureStderr();
  {
    FileLogService log(folder_.path() / "plain-file" / "briskal.log", messages_);
    log.setError(Error(91, "DAZO_BRISKAL", "Object variable not set"));
    log.write("0_0_0_0", "DAZO_BRISKAL", "Form_Load");
  }
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_THAT(err, HasSubstr("plain-file/briskal.log cannot be opened"));
  EXPECT_THAT(err, HasSubstr("Form_Load | 91 | DAZO_BRISKAL | Object variable not set"));
}

}  // namespace
}  // namespace briskal::hostkit
