// A view that writes its page back as soon as it loaded it writes the new
// contents while tidy still checks the file. Tidy is replaced here by a
// script that, before it runs the real tidy on its input, waits until the
// prepared contents lie beside the page (or gives up after a few seconds)
// and then does what another program might do to the page meanwhile.
#include "EditingTestSupport.h"

#include "platform/foundation/UserDefaults.h"
#include "toolkit/VornickErrors.h"

#include <filesystem>
#include <sys/stat.h>

using namespace brevanton;
using namespace brevanton::testing;

namespace {

class WriteBack : public EditingViewTest {
protected:
    void SetUp() override
    {
        EditingViewTest::SetUp();
        m_tidy = VornickTidyFilter::tidyExecutablePath();
        ASSERT_FALSE(m_tidy.empty());
    }
    void TearDown() override
    {
        VornickTidyFilter::setTidyExecutablePath(std::nullopt);
        EditingViewTest::TearDown();
    }

    // Tidy's first validation run (a check, "-e", or a check that writes the
    // repair too, "-utf8 -o") waits for the prepared contents of
    // `page` (at most `attempts` times 20 ms), notes in "seen" whether they
    // came, and runs `meanwhile`; its other runs are tidy's own.
    void installTidyThatWaitsForThePreparedWrite(const std::string& page, const std::string& meanwhile = "", int attempts = 250)
    {
        std::string script = "#!/bin/sh\n"
                             "[ -e '" + path("seen") + "' ] ||\n"
                             "case \" $* \" in *\" -e \"*|*\" -utf8 -o \"*)\n"
                             "  seen=no\n"
                             "  for i in $(seq " + std::to_string(attempts) + "); do\n"
                             "    if ls -a '" + m_folder + "' | grep -q '^\\." + page + "\\.tmp-'; then seen=yes; break; fi\n"
                             "    sleep 0.02\n"
                             "  done\n"
                             "  echo $seen > '" + path("seen") + "'\n"
                             "  " + meanwhile + "\n"
                             "esac\n"
                             "exec '" + m_tidy + "' \"$@\"\n";
        std::filesystem::remove(path("seen"));
        ASSERT_TRUE(writeFileAtomically(path("tidy.sh"), script));
        ASSERT_EQ(::chmod(path("tidy.sh").c_str(), 0755), 0);
        VornickTidyFilter::setTidyExecutablePath(path("tidy.sh"));
    }

    // The temporary files beside the pages.
    std::vector<std::string> temporaryFiles() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_folder)) {
            auto name = entry.path().filename().string();
            if (name.find(".tmp-") != std::string::npos)
                names.push_back(name);
        }
        return names;
    }

    void loadPreparingWriteBack(const std::string& name)
    {
        view->setPreparesWriteBack(true);
        load(name);
    }

    // What a view that prepares nothing writes for a copy of `name`.
    std::string writtenWithoutPreparing(const std::string& name)
    {
        VornickTidyFilter::setTidyExecutablePath(std::nullopt);
        std::filesystem::copy_file(BREVANTON_TEST_DATA_DIR "/editing/" + name, path("plain-" + name));
        auto other = VornickContentEditingView::create(Rect(0, 0, 800, 600));
        Error error;
        EXPECT_TRUE(other->loadContentFromURL(url("plain-" + name), &error));
        std::vector<Error> errors;
        EXPECT_TRUE(other->writeHTMLDocumentToURL(url("plain-" + name), std::nullopt, true, &errors));
        return contents("plain-" + name);
    }

    std::string m_tidy;
};

} // namespace

TEST_F(WriteBack, TheWriteIsMadeWhileTidyChecksAndPutInPlaceWhenTheCheckPasses)
{
    auto original = contents("formatting.html");
    installTidyThatWaitsForThePreparedWrite("formatting.html");
    loadPreparingWriteBack("formatting.html");
    EXPECT_EQ(contents("seen"), "yes\n") << "nothing was written while tidy ran";
    // Loading leaves the file as it is: the new contents wait beside it.
    EXPECT_EQ(contents("formatting.html"), original);
    auto waiting = temporaryFiles();
    ASSERT_EQ(waiting.size(), 1u);
    struct stat prepared;
    ASSERT_EQ(::stat(path(waiting.front()).c_str(), &prepared), 0);

    std::vector<Error> errors;
    ASSERT_TRUE(view->writeHTMLDocumentToURL(url("formatting.html"), std::nullopt, true, &errors));
    struct stat saved;
    ASSERT_EQ(::stat(path("formatting.html").c_str(), &saved), 0);
    EXPECT_EQ(saved.st_ino, prepared.st_ino) << "the save wrote the page again";
    EXPECT_TRUE(temporaryFiles().empty());
    auto written = contents("formatting.html");
    EXPECT_EQ(view->lastWrittenMainFrameData(), written);
    EXPECT_EQ(written, writtenWithoutPreparing("formatting.html"));

    // An edit after loading makes the next load's prepared contents stale:
    // the save writes what the page holds then.
    installTidyThatWaitsForThePreparedWrite("formatting.html");
    loadPreparingWriteBack("formatting.html");
    ASSERT_EQ(temporaryFiles().size(), 1u);
    element(u"h1")->setAttribute(u"class", u"edited");
    ASSERT_TRUE(view->writeHTMLDocumentToURL(url("formatting.html"), std::nullopt, true, &errors));
    EXPECT_NE(contents("formatting.html").find("class=\"edited\""), std::string::npos) << contents("formatting.html");
    EXPECT_TRUE(temporaryFiles().empty());
}

TEST_F(WriteBack, AVerdictThatRepairsThePageThrowsThePreparedWriteAway)
{
    installTidyThatWaitsForThePreparedWrite("broken.html");
    loadPreparingWriteBack("broken.html");
    EXPECT_EQ(contents("seen"), "yes\n");
    // The page came from the repaired copy; what was written from the
    // broken one is gone.
    EXPECT_NE(view->mainFrame()->dataSource()->request().url(), url("broken.html"));
    EXPECT_TRUE(temporaryFiles().empty());

    std::vector<Error> errors;
    ASSERT_TRUE(view->writeHTMLDocumentToURL(url("broken.html"), std::nullopt, true, &errors));
    auto written = contents("broken.html");
    EXPECT_NE(written.find("<b>bold</b>"), std::string::npos) << written;
    EXPECT_EQ(written, writtenWithoutPreparing("broken.html"));
    EXPECT_EQ(view->lastWrittenMainFrameData(), written);
}

TEST_F(WriteBack, AFileChangedOrWriteProtectedWhileTidyChecksIsNotOverwritten)
{
    // Another program rewrites the page while tidy checks it.
    installTidyThatWaitsForThePreparedWrite("formatting.html",
                                            "echo '<p>theirs' > '" + path("formatting.html") + "'; touch -d '+1 hour' '"
                                                + path("formatting.html") + "'");
    loadPreparingWriteBack("formatting.html");
    EXPECT_EQ(contents("seen"), "yes\n");
    std::vector<Error> errors;
    EXPECT_FALSE(view->writeHTMLDocumentToURL(url("formatting.html"), std::nullopt, true, &errors));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors.front().code(), VornickDocumentFileChangedError);
    EXPECT_EQ(contents("formatting.html"), "<p>theirs\n");
    EXPECT_TRUE(temporaryFiles().empty());

    // Write-protected while tidy checks it.
    installTidyThatWaitsForThePreparedWrite("lists.html", "chmod 444 '" + path("lists.html") + "'");
    auto original = contents("lists.html");
    loadPreparingWriteBack("lists.html");
    EXPECT_EQ(contents("seen"), "yes\n");
    errors.clear();
    EXPECT_FALSE(view->writeHTMLDocumentToURL(url("lists.html"), std::nullopt, true, &errors));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors.front().code(), VornickDocumentFileWriteProtectedError);
    EXPECT_EQ(contents("lists.html"), original);
    EXPECT_TRUE(temporaryFiles().empty());
}

TEST_F(WriteBack, AWriteThatFailsWhileTidyChecksIsMadeAgainBySave)
{
    // The page cannot be written while it loads and tidy checks it (the
    // write made then fails), and can by the time it is saved.
    ASSERT_EQ(::chmod(path("tables.html").c_str(), 0444), 0);
    installTidyThatWaitsForThePreparedWrite("tables.html", "", 10);
    loadPreparingWriteBack("tables.html");
    EXPECT_EQ(contents("seen"), "no\n");
    EXPECT_TRUE(temporaryFiles().empty());
    ASSERT_EQ(::chmod(path("tables.html").c_str(), 0644), 0);
    std::vector<Error> errors;
    ASSERT_TRUE(view->writeHTMLDocumentToURL(url("tables.html"), std::nullopt, true, &errors));
    EXPECT_EQ(contents("tables.html"), writtenWithoutPreparing("tables.html"));
    EXPECT_TRUE(temporaryFiles().empty());
}
