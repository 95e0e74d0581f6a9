// A WordPress account project on disk as a sync leaves it, for the post
// window's tests: one blog, its theme's post template, one block post saved
// to its file, the index committed.
#pragma once

#include "blog/VornickWordPressBlog.h"
#include "blog/VornickWordPressBlogPost.h"
#include "documents/VornickProjectIndex.h"
#include "platform/foundation/Date.h"
#include "platform/store/ManagedObjectContext.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressBlogProject.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace brevanton {

// The theme's single post page as the templates step keeps it.
inline constexpr const char* postTemplate = R"(<!DOCTYPE html>
<html lang="en-US">
<head>
<meta charset="UTF-8">
<title>Hello world! &#8211; Test Site</title>
<style>
body { background-color: #ffffff; color: #000000; font-family: sans-serif; }
.wp-block-post-title { font-size: 2.5rem; }
</style>
</head>
<body class="post-template-default single single-post single-format-standard">
<div id="wpadminbar"><a class="ab-item" href="#">Dashboard</a></div>
<div class="wp-site-blocks">
<header class="wp-block-template-part"><p class="wp-block-site-title"><a href="#" rel="home">Test Site</a></p></header>
<main class="wp-block-group">
<h1 class="wp-block-post-title">Hello world!</h1>
<figure class="wp-block-post-featured-image"></figure>
<div class="entry-content wp-block-post-content">
<p>Welcome to WordPress. This is your first post.</p>
</div>
<div class="wp-block-post-date"><time datetime="2023-01-01T10:00:00+00:00">January 1, 2023</time></div>
<div class="taxonomy-category wp-block-post-terms"><a href="#" rel="tag">Uncategorized</a></div>
<div class="taxonomy-post_tag wp-block-post-terms"><a href="#" rel="tag">sample</a></div>
</main>
<div id="comments"><h2>Leave a Reply</h2></div>
</div>
</body>
</html>
)";

inline constexpr const char16_t* postBody = u"<!-- wp:paragraph -->\n<p>Alpha paragraph.</p>\n<!-- /wp:paragraph -->\n\n"
                                     u"<!-- wp:paragraph -->\n<p>Omega paragraph stays.</p>\n<!-- /wp:paragraph -->";

// The post file's path; none when the project could not be made.
// With `page`, the post is a page of the blog. `statuses` (identifiers and
// titles) are the blog's post statuses, the post's the first of them.
inline std::optional<std::string> makeSyncedLikeWordPressProject(const std::string& folder, const std::u16string& body = postBody,
                                                                 bool page = false,
                                                                 const std::vector<std::pair<std::u16string, std::u16string>>& statuses = {})
{
    Error error;
    auto project = VornickProject::createWithNewProjectFileURL<VornickWordPressBlogProject>(
        URL::fileURLWithPath(folder + "/project.brevantonwordpressproject", false), &error);
    if (!project)
        return std::nullopt;
    auto& context = *project->index()->managedObjectContext();
    project->wordPressAccount()->setRootURLString(u"https://site.example");
    auto blog = std::dynamic_pointer_cast<VornickWordPressBlog>(context.insertNewObject(u"Blog"));
    blog->setBlogFolderName(u"Site");
    blog->setSourceFileName(u"Site.brevantonwordpressblog");
    blog->setTitle(u"Test Site");
    blog->setObjectForKey(project->wordPressAccount(), u"hostingAccount");
    blog->setValueForKey(Value(u"https://site.example/"), u"browseURLString");
    auto templates = *blog->templatesFolderURL()->fileSystemPath();
    std::filesystem::create_directories(templates);
    std::ofstream(templates + "/post-standard.html", std::ios::binary) << postTemplate;

    auto post = std::dynamic_pointer_cast<VornickWordPressBlogPost>(context.insertNewObject(u"BlogPost"));
    if (!(page ? post->prepareNewPageAndAssociateWithBlog(blog) : post->prepareNewPostAndAssociateWithBlog(blog)))
        return std::nullopt;
    for (const auto& [identifier, title] : statuses) {
        auto status = context.insertNewObject(u"PostStatus");
        status->setValueForKey(Value(identifier), u"identifier");
        status->setValueForKey(Value(title), u"title");
        status->setObjectForKey(blog, u"blog");
        if (identifier == statuses.front().first)
            post->setObjectForKey(status, u"status");
    }
    post->setTitle(u"Hello <em>world</em>");
    post->setSourceContentString(body);
    post->setSourceContentType(u"html");
    post->setValueForKey(Value(Date::now().addingTimeInterval(-86400)), u"dateLastEditedLocally");
    if (!(project->saveComponentsToSourceFilesIfNeeded(&error)))
        return std::nullopt;
    if (!(project->index()->commitEditingAndSave(&error)))
        return std::nullopt;
    if (!(project->save(&error)))
        return std::nullopt;
    return post->sourceFileURL()->fileSystemPath();
}

} // namespace brevanton
