// The attribute validator classes.
#pragma once

#include "html/VornickHTMLAttributeValidator.h"

namespace brevanton {

// --- Simple validators

class VornickBooleanHTMLAttributeValidator : public VornickValueOnlyHTMLAttributeValidator {
protected:
    VornickAttributeValidationOutcome validate(std::u16string_view, std::u16string_view, std::u16string&) const override;
};

class VornickIntegerHTMLAttributeValidator : public VornickValueOnlyHTMLAttributeValidator {
protected:
    VornickAttributeValidationOutcome validate(std::u16string_view, std::u16string_view, std::u16string&) const override;
};

class VornickNonNegativeIntegerHTMLAttributeValidator : public VornickValueOnlyHTMLAttributeValidator {
protected:
    VornickAttributeValidationOutcome validate(std::u16string_view, std::u16string_view, std::u16string&) const override;
};

class VornickNonNegativeNonZeroIntegerHTMLAttributeValidator : public VornickValueOnlyHTMLAttributeValidator {
protected:
    VornickAttributeValidationOutcome validate(std::u16string_view, std::u16string_view, std::u16string&) const override;
};

class VornickNonNegativeFloatingPointHTMLAttributeValidator : public VornickValueOnlyHTMLAttributeValidator {
protected:
    VornickAttributeValidationOutcome validate(std::u16string_view, std::u16string_view, std::u16string&) const override;
};

class VornickNumberHTMLAttributeValidator : public VornickValueOnlyHTMLAttributeValidator {
protected:
    VornickAttributeValidationOutcome validate(std::u16string_view, std::u16string_view, std::u16string&) const override;
};

class VornickSpaceSeparatedTokensHTMLAttributeValidator : public VornickValueOnlyHTMLAttributeValidator {
protected:
    VornickAttributeValidationOutcome validate(std::u16string_view, std::u16string_view, std::u16string&) const override;
};

class VornickOrderedListTypeHTMLAttributeValidator : public VornickValueOnlyHTMLAttributeValidator {
protected:
    VornickAttributeValidationOutcome validate(std::u16string_view, std::u16string_view, std::u16string&) const override;
};

class VornickTextHTMLAttributeValidator : public VornickValueOnlyHTMLAttributeValidator {
protected:
    VornickAttributeValidationOutcome validate(std::u16string_view, std::u16string_view, std::u16string&) const override;
};

class VornickDisallowedOrUnknownHTMLAttributeValidator : public VornickHTMLAttributeValidator {
public:
    void validateValueString(std::u16string_view, std::u16string_view, const DOMElement*, const VornickHTMLElementSpec*,
                             const VornickAttributeValidationCompletionBlock&) override;
};

class VornickUnvalidatedHTMLAttributeValidator : public VornickValueOnlyHTMLAttributeValidator {
protected:
    VornickAttributeValidationOutcome validate(std::u16string_view, std::u16string_view, std::u16string&) const override;
};

class VornickBrowsingContextNameHTMLAttributeValidator : public VornickValueOnlyHTMLAttributeValidator {
protected:
    VornickAttributeValidationOutcome validate(std::u16string_view, std::u16string_view, std::u16string&) const override;
};

class VornickBrowsingContextNameOrKeywordHTMLAttributeValidator : public VornickBrowsingContextNameHTMLAttributeValidator {
protected:
    VornickAttributeValidationOutcome validate(std::u16string_view, std::u16string_view, std::u16string&) const override;
};

class VornickBCP47LanguageTagHTMLAttributeValidator : public VornickValueOnlyHTMLAttributeValidator {
protected:
    VornickAttributeValidationOutcome validate(std::u16string_view, std::u16string_view, std::u16string&) const override;
};

class VornickMIMETypeHTMLAttributeValidator : public VornickValueOnlyHTMLAttributeValidator {
protected:
    VornickAttributeValidationOutcome validate(std::u16string_view, std::u16string_view, std::u16string&) const override;
};

// --- Enumerated values

class VornickEnumeratedHTMLAttributeValidator : public VornickValueOnlyHTMLAttributeValidator {
protected:
    VornickAttributeValidationOutcome validate(std::u16string_view, std::u16string_view, std::u16string&) const override;
};

#define BREVANTON_ENUMERATED_VALIDATOR(ClassName)                                   \
    class ClassName : public VornickEnumeratedHTMLAttributeValidator {              \
    public:                                                                         \
        const std::vector<std::u16string>& allowedTokensInLowercase() const override; \
    };

BREVANTON_ENUMERATED_VALIDATOR(VornickAutocapitalizeHTMLAttributeValidator)
BREVANTON_ENUMERATED_VALIDATOR(VornickEnterKeyHintHTMLAttributeValidator)
BREVANTON_ENUMERATED_VALIDATOR(VornickDirHTMLAttributeValidator)
BREVANTON_ENUMERATED_VALIDATOR(VornickTrueOrFalseHTMLAttributeValidator)
BREVANTON_ENUMERATED_VALIDATOR(VornickYesOrNoHTMLAttributeValidator)
BREVANTON_ENUMERATED_VALIDATOR(VornickCORSSettingsHTMLAttributeValidator)
BREVANTON_ENUMERATED_VALIDATOR(VornickEncTypeHTMLAttributeValidator)
BREVANTON_ENUMERATED_VALIDATOR(VornickGetOrPostHTMLAttributeValidator)
BREVANTON_ENUMERATED_VALIDATOR(VornickFormInputModeHTMLAttributeValidator)
BREVANTON_ENUMERATED_VALIDATOR(VornickFormInputTypeHTMLAttributeValidator)
BREVANTON_ENUMERATED_VALIDATOR(VornickButtonTypeHTMLAttributeValidator)
BREVANTON_ENUMERATED_VALIDATOR(VornickKeyTypeHTMLAttributeValidator)
BREVANTON_ENUMERATED_VALIDATOR(VornickARIAAutocompleteHTMLAttributeValidator)
BREVANTON_ENUMERATED_VALIDATOR(VornickARIACheckedHTMLAttributeValidator)
BREVANTON_ENUMERATED_VALIDATOR(VornickARIADropEffectHTMLAttributeValidator)
BREVANTON_ENUMERATED_VALIDATOR(VornickARIAInvalidHTMLAttributeValidator)
BREVANTON_ENUMERATED_VALIDATOR(VornickARIALiveHTMLAttributeValidator)
BREVANTON_ENUMERATED_VALIDATOR(VornickReferrerPolicyHTMLAttributeValidator)
BREVANTON_ENUMERATED_VALIDATOR(VornickARIAOrientationHTMLAttributeValidator)
BREVANTON_ENUMERATED_VALIDATOR(VornickARIATristateHTMLAttributeValidator)
BREVANTON_ENUMERATED_VALIDATOR(VornickARIASortHTMLAttributeValidator)
BREVANTON_ENUMERATED_VALIDATOR(VornickOnOrOffHTMLAttributeValidator)
BREVANTON_ENUMERATED_VALIDATOR(VornickTextAreaWrapHTMLAttributeValidator)

#undef BREVANTON_ENUMERATED_VALIDATOR

// --- Token lists

// Reports repeated tokens, and tokens outside allowedTokensInLowercase() when
// the class has a list.
class VornickUniqueSpaceSeparatedTokensHTMLAttributeValidator : public VornickValueOnlyHTMLAttributeValidator {
protected:
    VornickAttributeValidationOutcome validate(std::u16string_view, std::u16string_view, std::u16string&) const override;
};

class VornickIFrameSandboxHTMLAttributeValidator : public VornickUniqueSpaceSeparatedTokensHTMLAttributeValidator {
public:
    const std::vector<std::u16string>& allowedTokensInLowercase() const override;
};

class VornickARIARoleHTMLAttributeValidator : public VornickUniqueSpaceSeparatedTokensHTMLAttributeValidator {
public:
    const std::vector<std::u16string>& allowedTokensInLowercase() const override;
};

class VornickARIARelevantHTMLAttributeValidator : public VornickUniqueSpaceSeparatedTokensHTMLAttributeValidator {
public:
    const std::vector<std::u16string>& allowedTokensInLowercase() const override;
};

class VornickIdReferenceListHTMLAttributeValidator : public VornickUniqueSpaceSeparatedTokensHTMLAttributeValidator {
};

// --- Validators that consult the element's document

class VornickURLHTMLAttributeValidator : public VornickHTMLAttributeValidator {
public:
    void validateValueString(std::u16string_view, std::u16string_view, const DOMElement*, const VornickHTMLElementSpec*,
                             const VornickAttributeValidationCompletionBlock&) override;
};

class VornickIdHTMLAttributeValidator : public VornickHTMLAttributeValidator {
public:
    void validateValueString(std::u16string_view, std::u16string_view, const DOMElement*, const VornickHTMLElementSpec*,
                             const VornickAttributeValidationCompletionBlock&) override;
};

class VornickIdReferenceHTMLAttributeValidator : public VornickHTMLAttributeValidator {
public:
    void validateValueString(std::u16string_view, std::u16string_view, const DOMElement*, const VornickHTMLElementSpec*,
                             const VornickAttributeValidationCompletionBlock&) override;
};

class VornickDatalistElementIdHTMLAttributeValidator : public VornickHTMLAttributeValidator {
public:
    void validateValueString(std::u16string_view, std::u16string_view, const DOMElement*, const VornickHTMLElementSpec*,
                             const VornickAttributeValidationCompletionBlock&) override;
};

// The tokens of a space-separated list, never an empty one.
std::vector<std::u16string> VornickAttributeValueTokens(std::u16string_view value);

} // namespace brevanton
