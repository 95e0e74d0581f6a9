#include "publishing/VornickSyncStepStatusTableCellView.h"

#include "blog/VornickSyncStep.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/TextField.h"
#include "publishing/VornickSyncStepStateTransformers.h"
#include "ui/VornickProgressIndicator.h"

namespace brevanton {

namespace {

constexpr double ImageSize = 16;
constexpr double ProgressWidth = 90;

std::shared_ptr<TextField> label()
{
    auto field = std::make_shared<TextField>();
    field->setEditable(false);
    field->setBezeled(false);
    field->setDrawsBackground(false);
    return field;
}

} // namespace

VornickSyncStepStatusTableCellView::VornickSyncStepStatusTableCellView(Rect frame)
    : View(frame)
    , m_statusImageName(statusImageForState(Value(0)))
    , m_textField(label())
    , m_statusMessageTextField(label())
    , m_progressIndicator(std::make_shared<VornickProgressIndicator>())
{
    m_progressIndicator->setIndeterminate(false);
    m_progressIndicator->setMinValue(0);
    m_progressIndicator->setMaxValue(1);
    layOut();
}

std::shared_ptr<VornickSyncStepStatusTableCellView> VornickSyncStepStatusTableCellView::create(Rect frame)
{
    auto view = std::make_shared<VornickSyncStepStatusTableCellView>(frame);
    view->addSubview(view->m_textField);
    view->addSubview(view->m_statusMessageTextField);
    view->addSubview(view->m_progressIndicator);
    return view;
}

std::u16string VornickSyncStepStatusTableCellView::statusImageForState(const Value& state)
{
    static const VornickSyncStepStateToStatusImageTransformer transformer;
    return transformer.imageNameForState(state);
}

void VornickSyncStepStatusTableCellView::layOut()
{
    Rect area = bounds();
    double textX = ImageSize + 8;
    double textWidth = std::max(0.0, area.width() - textX - ProgressWidth - 8);
    m_textField->setFrame(Rect(textX, 2, textWidth, 17));
    m_statusMessageTextField->setFrame(Rect(textX, 19, textWidth, 17));
    m_progressIndicator->setFrame(Rect(area.width() - ProgressWidth - 4, (area.height() - 12) / 2, ProgressWidth, 12));
}

void VornickSyncStepStatusTableCellView::resizeSubviewsWithOldSize(Size oldSize)
{
    View::resizeSubviewsWithOldSize(oldSize);
    layOut();
}

void VornickSyncStepStatusTableCellView::setObjectValue(std::shared_ptr<VornickSyncStepContainer> node)
{
    m_objectValue = std::move(node);
    updateFromStepPropreties();
}

void VornickSyncStepStatusTableCellView::updateFromStepPropreties()
{
    if (!m_objectValue)
        return;
    auto* step = dynamic_cast<VornickSyncStep*>(m_objectValue.get());
    show(Value(static_cast<int64_t>(m_objectValue->state())), m_objectValue->title(), step ? step->statusMessage() : std::u16string(),
         m_objectValue->progress());
}

void VornickSyncStepStatusTableCellView::updateFromNotification(const Notification& notification)
{
    auto value = [&](std::u16string_view key) {
        auto found = notification.userInfo.find(std::u16string(key));
        return found != notification.userInfo.end() ? found->second : Value();
    };
    Value progress = value(u"progress");
    std::optional<double> shownProgress;
    if (progress.type() == Value::Type::Real || progress.type() == Value::Type::Integer)
        shownProgress = progress.doubleValue();
    show(value(u"state"), value(u"title").stringValue(), value(u"statusMessage").stringValue(), shownProgress);
}

void VornickSyncStepStatusTableCellView::show(const Value& state, std::u16string title, std::u16string statusMessage, std::optional<double> progress)
{
    std::u16string imageName = statusImageForState(state);
    if (imageName != m_statusImageName) {
        m_statusImageName = std::move(imageName);
        setNeedsDisplay(true);
    }
    m_textField->setTextString(std::move(title));
    m_statusMessageTextField->setTextString(std::move(statusMessage));
    if (!progress)
        return;
    bool waiting = *progress == 0.0 && state.type() == Value::Type::Integer && state.integerValue() == 1;
    m_progressIndicator->setDoubleValue(*progress);
    m_progressIndicator->setIndeterminate(waiting);
}

void VornickSyncStepStatusTableCellView::draw(const Rect&, GraphicsContext& context)
{
    context.drawImage(m_statusImageName, Rect(2, (bounds().height() - ImageSize) / 2, ImageSize, ImageSize));
}

} // namespace brevanton
