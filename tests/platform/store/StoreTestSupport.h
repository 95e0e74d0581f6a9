// A small blog-shaped model, store files in a fresh folder, a raw reader of
// them, and a counter of context notifications, for the store's tests and the
// toolkit's.
#pragma once

#include "platform/store/ManagedObjectContext.h"
#include "platform/store/ManagedObjectContextInternals.h"
#include "platform/store/PersistentStore.h"
#include "platform/foundation/NotificationCenter.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <any>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace brevanton {

// A "Blog" class of its own: a default title on insert, a count of saves.
class TestBlog : public ManagedObject {
public:
    static constexpr std::u16string_view entityName = u"Blog";

    int willSaveCount { 0 };
    bool fetched { false };
    // When set, a blog loaded from the store fetches all blogs as it awakes.
    static inline bool fetchesWhenAwoken = false;
    size_t blogsSeenWhenAwoken { 0 };

protected:
    void awakeFromInsert() override { setValueForKey(Value(u"Untitled Blog"), u"title"); }
    void awakeFromFetch() override
    {
        fetched = true;
        if (fetchesWhenAwoken) {
            auto blogs = managedObjectContext()->executeFetchRequest(FetchRequest(u"Blog"), nullptr);
            blogsSeenWhenAwoken = blogs ? blogs->size() : 0;
        }
    }
    void willSave() override { ++willSaveCount; }
};

// Blog 1-n BlogPost, Blog 1-n BlogTag, BlogPost n-m BlogTag, Blog 1-n
// PostStatus 1-n BlogPost, Blog 1-n MediaItem 1-n MediaItemVariant (cascade),
// Blog 1-1 BlogSettings. `extraAttribute` adds an optional attribute to
// BlogPost (a newer model); `withExtraEntity` an entity.
inline std::shared_ptr<ManagedObjectModel> makeTestModel(bool extraAttribute = false, bool withExtraEntity = false)
{
    auto model = std::make_shared<ManagedObjectModel>();
    auto& blog = model->addEntity(u"Blog");
    blog.addAttribute(u"title", AttributeType::String);
    blog.addAttribute(u"identifierUsedByBlogService", AttributeType::String);
    blog.addAttribute(u"allowComments", AttributeType::Boolean);
    blog.addAttribute(u"wordPressTimeZone", AttributeType::Double);
    blog.addAttribute(u"postAttachmentPointData", AttributeType::Binary);
    blog.addAttribute(u"htmlFormattingPreferences", AttributeType::Transformable);
    blog.addRelationship({ u"posts", u"BlogPost", u"blog", true, DeleteRule::Cascade });
    blog.addRelationship({ u"tags", u"BlogTag", u"blog", true, DeleteRule::Cascade });
    blog.addRelationship({ u"postStatuses", u"PostStatus", u"blog", true, DeleteRule::Cascade });
    blog.addRelationship({ u"mediaItems", u"MediaItem", u"blog", true, DeleteRule::Cascade });
    blog.addRelationship({ u"settings", u"BlogSettings", u"blog", false, DeleteRule::Cascade });
    blog.setInstanceClass<TestBlog>();

    auto& post = model->addEntity(u"BlogPost");
    post.addAttribute(u"title", AttributeType::String);
    post.addAttribute(u"sourceContentString", AttributeType::String);
    post.addAttribute(u"identifierUsedByBlogService", AttributeType::String);
    post.addAttribute(u"dateLastEditedLocally", AttributeType::Date);
    post.addAttribute(u"inTrash", AttributeType::Boolean);
    post.addAttribute(u"wordCount", AttributeType::Integer);
    post.addAttribute(u"type", AttributeType::String);
    if (extraAttribute)
        post.addAttribute(u"permalinkURLString", AttributeType::String);
    post.addRelationship({ u"blog", u"Blog", u"posts", false, DeleteRule::Nullify });
    post.addRelationship({ u"tags", u"BlogTag", u"posts", true, DeleteRule::Nullify });
    post.addRelationship({ u"status", u"PostStatus", u"posts", false, DeleteRule::Nullify });
    post.addRelationship({ u"featuredImageMediaItem", u"MediaItem", u"postsThatUseThisAsFeaturedImage", false, DeleteRule::Nullify });

    auto& tag = model->addEntity(u"BlogTag");
    tag.addAttribute(u"title", AttributeType::String);
    tag.addAttribute(u"identifierUsedByBlogService", AttributeType::String);
    tag.addRelationship({ u"blog", u"Blog", u"tags", false, DeleteRule::Nullify });
    tag.addRelationship({ u"posts", u"BlogPost", u"tags", true, DeleteRule::Nullify });

    auto& status = model->addEntity(u"PostStatus");
    status.addAttribute(u"identifier", AttributeType::String);
    status.addAttribute(u"title", AttributeType::String);
    status.addRelationship({ u"blog", u"Blog", u"postStatuses", false, DeleteRule::Nullify });
    status.addRelationship({ u"posts", u"BlogPost", u"status", true, DeleteRule::Nullify });

    auto& media = model->addEntity(u"MediaItem");
    media.addAttribute(u"title", AttributeType::String);
    media.addAttribute(u"pixelsWide", AttributeType::Integer);
    media.addRelationship({ u"blog", u"Blog", u"mediaItems", false, DeleteRule::Nullify });
    media.addRelationship({ u"variants", u"MediaItemVariant", u"mediaItem", true, DeleteRule::Cascade });
    media.addRelationship({ u"postsThatUseThisAsFeaturedImage", u"BlogPost", u"featuredImageMediaItem", true, DeleteRule::Nullify });

    auto& variant = model->addEntity(u"MediaItemVariant");
    variant.addAttribute(u"variantName", AttributeType::String);
    variant.addAttribute(u"filename", AttributeType::String);
    variant.addRelationship({ u"mediaItem", u"MediaItem", u"variants", false, DeleteRule::Nullify });

    auto& settings = model->addEntity(u"BlogSettings");
    settings.addAttribute(u"name", AttributeType::String);
    settings.addRelationship({ u"blog", u"Blog", u"settings", false, DeleteRule::Nullify });

    if (withExtraEntity) {
        auto& format = model->addEntity(u"PostFormat");
        format.addAttribute(u"identifier", AttributeType::String);
    }
    return model;
}

// What a context holds inside.
class ManagedObjectContextTestPeer {
public:
    // The objects of an entity the context has registered.
    static size_t registeredCount(const ManagedObjectContext& context, std::u16string_view entity)
    {
        return context.m_private->registered[context.model().entityNamed(entity)->index()].size();
    }
};

// A fresh folder for store files, inside the test process's own cache home.
inline std::string makeStoreFolder()
{
    const char* base = std::getenv("XDG_CACHE_HOME");
    std::filesystem::path parent = base ? base : std::filesystem::temp_directory_path().string();
    std::filesystem::create_directories(parent);
    std::string pattern = (parent / "store-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        ADD_FAILURE() << "mkdtemp failed";
    return pattern;
}

// The first column of every row of `sql`, read through a connection of its own.
inline std::vector<std::string> rawQuery(const std::string& path, const std::string& sql)
{
    std::vector<std::string> rows;
    sqlite3* database = nullptr;
    if (sqlite3_open_v2(path.c_str(), &database, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << "cannot open " << path;
        sqlite3_close(database);
        return rows;
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(database, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
        ADD_FAILURE() << sqlite3_errmsg(database);
    while (statement && sqlite3_step(statement) == SQLITE_ROW) {
        auto text = sqlite3_column_text(statement, 0);
        rows.push_back(text ? reinterpret_cast<const char*>(text) : "<null>");
    }
    sqlite3_finalize(statement);
    sqlite3_close(database);
    return rows;
}

// Collects the notifications of one name that one context posts.
struct NotificationRecorder {
    struct Record {
        std::vector<int64_t> inserted, updated, deleted;
    };
    std::vector<Record> records;
    ObserverToken token;

    NotificationRecorder(NotificationCenter& center, const char* name, const ManagedObjectContext* context)
    {
        token = center.addObserver(name, context, nullptr, [this](const Notification& notification) {
            Record record;
            auto numbers = [&](const char* key, std::vector<int64_t>& out) {
                auto found = notification.userObjects.find(key);
                if (found == notification.userObjects.end())
                    return;
                for (auto& object : std::any_cast<const ManagedObjects&>(found->second))
                    out.push_back(object->objectID().number());
            };
            numbers(InsertedObjectsKey, record.inserted);
            numbers(UpdatedObjectsKey, record.updated);
            numbers(DeletedObjectsKey, record.deleted);
            records.push_back(std::move(record));
        });
    }
};

} // namespace brevanton
