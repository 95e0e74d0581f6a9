#include "wordpress/VornickWordPressBlogProject.h"

#include "blog/VornickBlogModel.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickURLExtensions.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressMediaItem.h"

namespace brevanton {

URL VornickWordPressBlogProject::blogProjectsShoeboxDirectoryURL()
{
    static const std::string path = xdgFolder(XDGFolder::Data) + "/" + std::string(ApplicationFolderName) + "/CMSAccounts";
    Error error;
    if (!createDirectory(path, true, &error))
        VornickGeneralLog("Failed to create directory {}, error={}", path, error.localizedDescription());
    return URL::fileURLWithPath(std::string_view(path), true);
}

std::shared_ptr<VornickWordPressBlogProject> VornickWordPressBlogProject::createShoeboxedWordPressBlogProject(Error* outError)
{
    auto folder = vornick_createUniqueFileOfType(blogProjectsShoeboxDirectoryURL(), FileKind::Directory, u"WordPress Account", outError);
    if (!folder)
        return nullptr;
    auto projectFile = folder->URLByAppendingPathComponent(VornickWordPressProjectFileName, false);
    auto project = createWithNewProjectFileURL<VornickWordPressBlogProject>(projectFile, outError);
    if (!project || !project->save(outError))
        return nullptr;
    return project;
}

std::shared_ptr<const ManagedObjectModel> VornickWordPressBlogProject::wordPressBlogProjectModel()
{
    static const std::shared_ptr<const ManagedObjectModel> model = vornickMakeBlogProjectModel(true, [](ManagedObjectModel& model) {
        model.entityNamed(u"BlogHostingAccount")->setInstanceFactory([] { return std::make_shared<VornickWordPressAccount>(); });
        model.entityNamed(u"MediaItem")->setInstanceFactory([] { return std::make_shared<VornickWordPressMediaItem>(); });
        model.entityNamed(u"MediaItemVariant")->setInstanceFactory([] { return std::make_shared<VornickWordPressMediaItemVariant>(); });
    });
    return model;
}

std::shared_ptr<VornickWordPressAccount> VornickWordPressBlogProject::wordPressAccount() const
{
    return std::dynamic_pointer_cast<VornickWordPressAccount>(rootComponent());
}

std::shared_ptr<VornickProjectComponent> VornickWordPressBlogProject::createRootComponent()
{
    auto component = VornickPublishedBlogProject::createRootComponent();
    auto account = std::dynamic_pointer_cast<VornickWordPressAccount>(component);
    BREVANTON_ASSERT(account, "rootComponent must be a WordPressAccount");
    account->setUseXMLRPC(false);
    account->setRestAPIVersion(2);
    return component;
}

void VornickWordPressBlogProject::updateRootComponentFromProjectFileObjectArchive(const VornickObjectArchive* archive)
{
    VornickPublishedBlogProject::updateRootComponentFromProjectFileObjectArchive(archive);
    if (archive && wordPressAccount())
        wordPressAccount()->updateFromProjectFileObjectArchive(*archive);
}

} // namespace brevanton
