#include "blog/VornickBlogModel.h"

#include "blog/VornickBlogCategory.h"
#include "blog/VornickBlogHostingAccount.h"
#include "blog/VornickBlogTag.h"
#include "blog/VornickWordPressBlog.h"
#include "blog/VornickWordPressBlogPost.h"
#include "blog/VornickWordPressPostTerms.h"
#include "documents/VornickProjectComponent.h"

#include <initializer_list>
#include <utility>

namespace brevanton {

namespace {

using Attributes = std::initializer_list<std::pair<const char16_t*, AttributeType>>;

void addAttributes(EntityDescription& entity, Attributes attributes)
{
    for (auto [name, type] : attributes)
        entity.addAttribute(name, type);
}

// Both sides of a relationship.
void relate(ManagedObjectModel& model, const char16_t* entity, const char16_t* name, bool toMany, const char16_t* destination,
            const char16_t* inverse, bool inverseToMany, DeleteRule rule = DeleteRule::Nullify)
{
    model.entityNamed(entity)->addRelationship({ name, destination, inverse, toMany, rule });
    model.entityNamed(destination)->addRelationship({ inverse, entity, name, inverseToMany, DeleteRule::Nullify });
}

} // namespace

std::shared_ptr<ManagedObjectModel> vornickMakeBlogProjectModel(bool wordPressClasses,
                                                                const std::function<void(ManagedObjectModel&)>& customize)
{
    using T = AttributeType;
    auto model = std::make_shared<ManagedObjectModel>();

    auto& account = model->addEntity(u"BlogHostingAccount");
    VornickProjectComponent::addProjectComponentAttributes(account);
    addAttributes(account, { { u"loginID", T::String }, { u"rootURLString", T::String } });
    account.setInstanceClass<VornickBlogHostingAccount>();

    auto& blog = model->addEntity(u"Blog");
    VornickProjectComponent::addProjectComponentAttributes(blog);
    addAttributes(blog, { { u"identifierUsedByBlogService", T::String }, { u"title", T::String },
                          { u"fragmentSetFileReference", T::Transformable }, { u"singlePostEditingTemplateReference", T::Transformable },
                          { u"htmlFormattingPreferences", T::Transformable }, { u"postAttachmentPointData", T::Binary },
                          { u"blogFolderName", T::String }, { u"browseURLString", T::String },
                          { u"allowComments", T::Boolean }, { u"allowPings", T::Boolean }, { u"useWordPressBlockMode", T::Boolean },
                          { u"themeIdentifier", T::String }, { u"wordPressDateFormat", T::String },
                          { u"wordPressTimeFormat", T::String }, { u"wordPressTimeZone", T::Double } });
    if (wordPressClasses)
        blog.setInstanceClass<VornickWordPressBlog>();
    else
        blog.setInstanceClass<VornickPublishedBlog>();

    auto& post = model->addEntity(u"BlogPost");
    VornickProjectComponent::addProjectComponentAttributes(post);
    addAttributes(post, { { u"identifierUsedByBlogService", T::String }, { u"title", T::String },
                          { u"sourceContentString", T::String }, { u"sourceContentType", T::String },
                          { u"dateLastEditedLocally", T::Date }, { u"permalinkURLString", T::String },
                          { u"dateFirstPublished", T::Date }, { u"dateLastPublished", T::Date },
                          { u"publishAtNextSync", T::Boolean }, { u"inTrash", T::Boolean },
                          { u"pendingPostDescriptionData", T::Binary }, { u"dateConflictLastResolvedWithServer", T::Date },
                          { u"dateLastSyncedLocally", T::Date },
                          { u"type", T::String } });
    if (wordPressClasses)
        post.setInstanceClass<VornickWordPressBlogPost>();
    else
        post.setInstanceClass<VornickPublishedBlogPost>();

    for (const char16_t* name : { u"BlogTag", u"BlogCategory" }) {
        auto& term = model->addEntity(name);
        addAttributes(term, { { u"identifierUsedByBlogService", T::String }, { u"title", T::String },
                              { u"explanation", T::String }, { u"publishAtNextSync", T::Boolean } });
    }
    model->entityNamed(u"BlogTag")->setInstanceClass<VornickBlogTag>();
    model->entityNamed(u"BlogCategory")->setInstanceClass<VornickBlogCategory>();
    for (const char16_t* name : { u"PostFormat", u"PostStatus" })
        addAttributes(model->addEntity(name), { { u"identifier", T::String }, { u"title", T::String } });
    model->entityNamed(u"PostFormat")->setInstanceClass<VornickWordPressPostFormat>();
    model->entityNamed(u"PostStatus")->setInstanceClass<VornickWordPressPostStatus>();

    auto& mediaItem = model->addEntity(u"MediaItem");
    VornickProjectComponent::addProjectComponentAttributes(mediaItem);
    addAttributes(mediaItem, { { u"caption", T::String }, { u"dateCreated", T::Date }, { u"localURLString", T::String },
                               { u"remoteURLString", T::String }, { u"htmlDescription", T::String },
                               { u"identifierUsedByBlogService", T::String }, { u"pixelsHigh", T::Integer },
                               { u"pixelsWide", T::Integer }, { u"title", T::String }, { u"uniqueIdentifier", T::String } });
    mediaItem.setInstanceFactory([] { return std::make_shared<VornickProjectComponent>(); });
    addAttributes(model->addEntity(u"MediaItemVariant"),
                  { { u"variantName", T::String }, { u"filename", T::String }, { u"mimeType", T::String },
                    { u"pixelsHigh", T::Integer }, { u"pixelsWide", T::Integer } });

    auto& m = *model;
    relate(m, u"BlogHostingAccount", u"blogs", true, u"Blog", u"hostingAccount", false);
    relate(m, u"Blog", u"posts", true, u"BlogPost", u"blog", false, DeleteRule::Cascade);
    relate(m, u"Blog", u"tags", true, u"BlogTag", u"blog", false, DeleteRule::Cascade);
    relate(m, u"Blog", u"categories", true, u"BlogCategory", u"blog", false, DeleteRule::Cascade);
    relate(m, u"Blog", u"postFormats", true, u"PostFormat", u"blog", false, DeleteRule::Cascade);
    relate(m, u"Blog", u"postStatuses", true, u"PostStatus", u"blog", false, DeleteRule::Cascade);
    relate(m, u"Blog", u"mediaItems", true, u"MediaItem", u"blog", false, DeleteRule::Cascade);
    relate(m, u"BlogPost", u"tags", true, u"BlogTag", u"posts", true);
    relate(m, u"BlogPost", u"categories", true, u"BlogCategory", u"posts", true);
    relate(m, u"BlogPost", u"format", false, u"PostFormat", u"posts", true);
    relate(m, u"BlogPost", u"status", false, u"PostStatus", u"posts", true);
    relate(m, u"BlogPost", u"featuredImageMediaItem", false, u"MediaItem", u"postsThatUseThisAsFeaturedImage", true);
    relate(m, u"BlogCategory", u"parentCategory", false, u"BlogCategory", u"childCategories", true);
    relate(m, u"MediaItem", u"variants", true, u"MediaItemVariant", u"mediaItem", false, DeleteRule::Cascade);

    if (customize)
        customize(*model);
    model->validate();
    return model;
}

} // namespace brevanton
