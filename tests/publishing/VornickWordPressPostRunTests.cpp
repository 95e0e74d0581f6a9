// `brevanton --headless [--save] FILE.brevantonwordpresspost`: the report of
// the post in its template, and the save that writes only what changed.
#include "tests/brevanton/BrevantonExecutableTestSupport.h"
#include "tests/publishing/PostViewTestSupport.h"

namespace brevanton {

class VornickWordPressPostRunTests : public PostViewTest {
protected:
    std::string savedPostFile(const std::shared_ptr<VornickWordPressBlogPost>& post)
    {
        Error error;
        post->setHasEditsNotYetSavedToSourceFile(true);
        blog->setHasEditsNotYetSavedToSourceFile(true);
        EXPECT_TRUE(project->saveComponentsToSourceFilesIfNeeded(&error)) << error;
        EXPECT_TRUE(project->index()->commitEditingAndSave(&error)) << error;
        return *post->sourceFileURL()->fileSystemPath();
    }
};

TEST_F(VornickWordPressPostRunTests, TheReportNamesTheTemplateAndItsPoints)
{
    writeTemplate("post-standard.html", twentyTwentyThreePostTemplate());
    auto post = makePost(u"Reported", u"<!-- wp:paragraph -->\n<p>Body.</p>\n<!-- /wp:paragraph -->\n");
    auto file = savedPostFile(post);
    project.reset();

    auto result = runBrevanton({ "--headless", file });
    EXPECT_EQ(result.exitStatus, 0) << result.standardError;
    EXPECT_TRUE(contains(result.standardOutput, "post: Reported")) << result.standardOutput;
    EXPECT_TRUE(contains(result.standardOutput, "post-standard.html")) << result.standardOutput;
    EXPECT_TRUE(contains(result.standardOutput, "attached: body, categories, date, featuredImage, tags, title")) << result.standardOutput;
    EXPECT_TRUE(contains(result.standardOutput, "failed: (none)")) << result.standardOutput;
    EXPECT_TRUE(contains(result.standardOutput, "block errors: 0")) << result.standardOutput;
}

TEST_F(VornickWordPressPostRunTests, AnUntouchedPostSavesToWhatItWas)
{
    writeTemplate("post-standard.html", twentyTwentyThreePostTemplate());
    // Stored as a site keeps it, with blank lines the writer would not keep:
    // a save without an edit leaves the file alone, the first time as the second.
    auto post = makePost(u"Saved", u"\n<p>Body.</p>\n\n");
    auto file = savedPostFile(post);
    project.reset();
    auto original = readFile(file).value_or("");
    ASSERT_TRUE(contains(original, "<p>Body.</p>")) << original;

    for (int run = 0; run < 2; ++run) {
        auto result = runBrevanton({ "--headless", "--save", file });
        EXPECT_EQ(result.exitStatus, 0) << result.standardError;
        EXPECT_TRUE(contains(result.standardOutput, "saved: nothing changed")) << result.standardOutput;
        EXPECT_EQ(readFile(file).value_or(""), original);
    }
}

} // namespace brevanton
