#include "html/VornickHTMLAttributeValidator.h"

#include "html/VornickHTMLAttributeValidators.h"
#include "html/VornickHTMLElementSpec.h"
#include "html/VornickHTMLSpec.h"

#include <map>
#include <mutex>

namespace brevanton {

namespace {

struct Registry {
    std::mutex lock;
    bool filled { false };
    std::map<VornickHTMLAttributeValueKind, VornickHTMLAttributeValidator::ValidatorClass> classes;
};

Registry& registry()
{
    static Registry* instance = new Registry;
    return *instance;
}

template<typename T>
VornickHTMLAttributeValidator::ValidatorClass validatorClass()
{
    return [] { return std::unique_ptr<VornickHTMLAttributeValidator>(new T); };
}

void fillRegistryLocked(Registry& r)
{
    if (r.filled)
        return;
    r.filled = true;
    auto add = [&](const char16_t* kind, VornickHTMLAttributeValidator::ValidatorClass c) { r.classes[kind] = std::move(c); };
    add(u"1aAiI", validatorClass<VornickOrderedListTypeHTMLAttributeValidator>());
    add(u"ARIAautocomplete", validatorClass<VornickARIAAutocompleteHTMLAttributeValidator>());
    add(u"ARIAchecked", validatorClass<VornickARIACheckedHTMLAttributeValidator>());
    add(u"ARIAdropeffect", validatorClass<VornickARIADropEffectHTMLAttributeValidator>());
    add(u"ARIAinvalid", validatorClass<VornickARIAInvalidHTMLAttributeValidator>());
    add(u"ARIAlive", validatorClass<VornickARIALiveHTMLAttributeValidator>());
    add(u"ARIAorientation", validatorClass<VornickARIAOrientationHTMLAttributeValidator>());
    add(u"ARIArelevant", validatorClass<VornickARIARelevantHTMLAttributeValidator>());
    add(u"ARIArole", validatorClass<VornickARIARoleHTMLAttributeValidator>());
    add(u"ARIAsort", validatorClass<VornickARIASortHTMLAttributeValidator>());
    add(u"ARIAtristate", validatorClass<VornickARIATristateHTMLAttributeValidator>());
    add(u"autocapitalize", validatorClass<VornickAutocapitalizeHTMLAttributeValidator>());
    add(u"BCP47LanguageTag", validatorClass<VornickBCP47LanguageTagHTMLAttributeValidator>());
    add(u"Boolean", validatorClass<VornickBooleanHTMLAttributeValidator>());
    add(u"browsingContextName", validatorClass<VornickBrowsingContextNameHTMLAttributeValidator>());
    add(u"browsingContextNameOrKeyword", validatorClass<VornickBrowsingContextNameOrKeywordHTMLAttributeValidator>());
    add(u"buttonType", validatorClass<VornickButtonTypeHTMLAttributeValidator>());
    add(u"CORSState", validatorClass<VornickCORSSettingsHTMLAttributeValidator>());
    add(u"datalistElementId", validatorClass<VornickDatalistElementIdHTMLAttributeValidator>());
    add(u"enctype", validatorClass<VornickEncTypeHTMLAttributeValidator>());
    add(u"enterkeyhint", validatorClass<VornickEnterKeyHintHTMLAttributeValidator>());
    add(u"formInputMode", validatorClass<VornickFormInputModeHTMLAttributeValidator>());
    add(u"formInputType", validatorClass<VornickFormInputTypeHTMLAttributeValidator>());
    add(u"getOrPost", validatorClass<VornickGetOrPostHTMLAttributeValidator>());
    add(u"id", validatorClass<VornickIdHTMLAttributeValidator>());
    add(u"idReference", validatorClass<VornickIdReferenceHTMLAttributeValidator>());
    add(u"idReferenceList", validatorClass<VornickIdReferenceListHTMLAttributeValidator>());
    add(u"iframeSandbox", validatorClass<VornickIFrameSandboxHTMLAttributeValidator>());
    add(u"integer", validatorClass<VornickIntegerHTMLAttributeValidator>());
    add(u"keytype", validatorClass<VornickKeyTypeHTMLAttributeValidator>());
    add(u"ltr_rtl_auto", validatorClass<VornickDirHTMLAttributeValidator>());
    add(u"MIMEType", validatorClass<VornickMIMETypeHTMLAttributeValidator>());
    add(u"nonNegativeFloatingPointNumber", validatorClass<VornickNonNegativeFloatingPointHTMLAttributeValidator>());
    add(u"nonNegativeInteger", validatorClass<VornickNonNegativeIntegerHTMLAttributeValidator>());
    add(u"nonNegativeNonZeroInteger", validatorClass<VornickNonNegativeNonZeroIntegerHTMLAttributeValidator>());
    add(u"number", validatorClass<VornickNumberHTMLAttributeValidator>());
    add(u"onOrOff", validatorClass<VornickOnOrOffHTMLAttributeValidator>());
    add(u"referrerpolicy", validatorClass<VornickReferrerPolicyHTMLAttributeValidator>());
    add(u"spaceSeparatedTokens", validatorClass<VornickSpaceSeparatedTokensHTMLAttributeValidator>());
    add(u"text", validatorClass<VornickTextHTMLAttributeValidator>());
    add(u"trueOrFalse", validatorClass<VornickTrueOrFalseHTMLAttributeValidator>());
    add(u"uniqueSpaceSeparatedTokens", validatorClass<VornickUniqueSpaceSeparatedTokensHTMLAttributeValidator>());
    add(u"URL", validatorClass<VornickURLHTMLAttributeValidator>());
    add(u"wrap", validatorClass<VornickTextAreaWrapHTMLAttributeValidator>());
    add(u"yesOrNo", validatorClass<VornickYesOrNoHTMLAttributeValidator>());
}

} // namespace

void VornickHTMLAttributeValidator::registerValidatorClasses()
{
    auto& r = registry();
    std::lock_guard lock(r.lock);
    fillRegistryLocked(r);
}

void VornickHTMLAttributeValidator::registerValidatorClass(ValidatorClass validator, const VornickHTMLAttributeValueKind& kind)
{
    auto& r = registry();
    std::lock_guard lock(r.lock);
    fillRegistryLocked(r);
    r.classes[kind] = std::move(validator);
}

VornickHTMLAttributeValidator::ValidatorClass VornickHTMLAttributeValidator::validatorClassForValueKind(const VornickHTMLAttributeValueKind& kind)
{
    auto& r = registry();
    std::lock_guard lock(r.lock);
    fillRegistryLocked(r);
    auto it = r.classes.find(kind);
    return it == r.classes.end() ? nullptr : it->second;
}

std::unique_ptr<VornickHTMLAttributeValidator> VornickHTMLAttributeValidator::attributeValidatorForAttributeName(
    std::u16string_view attributeName, const VornickHTMLElementSpec& elementSpec)
{
    if (auto attributeSpec = elementSpec.attributeSpecForAttributeName(attributeName)) {
        if (auto validator = validatorClassForValueKind(attributeSpec->valueKind()))
            return validator();
        return std::make_unique<VornickUnvalidatedHTMLAttributeValidator>();
    }
    auto* spec = elementSpec.parentHTMLSpec();
    if (spec && spec->documentType() == VornickHTMLDocumentType::HTML5 && attributeName.starts_with(u"data-") && attributeName.size() >= 6)
        return std::make_unique<VornickTextHTMLAttributeValidator>();
    return std::make_unique<VornickDisallowedOrUnknownHTMLAttributeValidator>();
}

void VornickHTMLAttributeValidator::validateValueString(std::u16string_view, std::u16string_view, const DOMElement*,
                                                        const VornickHTMLElementSpec*,
                                                        const VornickAttributeValidationCompletionBlock& completion)
{
    completion(VornickAttributeValidationOutcome::Invalid, u"VornickHTMLAttributeValidator base class implementation invoked.");
}

const std::vector<std::u16string>& VornickHTMLAttributeValidator::allowedTokensInLowercase() const
{
    static const std::vector<std::u16string> none;
    return none;
}

void VornickValueOnlyHTMLAttributeValidator::validateValueString(std::u16string_view value, std::u16string_view attributeName,
                                                                 const DOMElement*, const VornickHTMLElementSpec*,
                                                                 const VornickAttributeValidationCompletionBlock& completion)
{
    std::u16string message;
    auto outcome = validate(value, attributeName, message);
    completion(outcome, message);
}

} // namespace brevanton
