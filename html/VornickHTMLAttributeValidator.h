// Attribute value validators: each value kind of an attribute specification
// selects a validator class, and a fresh validator judges the text typed for
// an attribute of a particular element. The answer is an outcome and a
// message shown beside the field.
#pragma once

#include "html/VornickHTMLAttributeSpec.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace brevanton {

class DOMElement;
class VornickHTMLElementSpec;

enum class VornickAttributeValidationOutcome : int {
    Valid = 0,
    Warning = 1,
    Invalid = 2,
    NoResult = 3,
};

using VornickAttributeValidationCompletionBlock = std::function<void(VornickAttributeValidationOutcome, const std::u16string& message)>;

class VornickHTMLAttributeValidator {
public:
    // A validator class: makes a new instance.
    using ValidatorClass = std::function<std::unique_ptr<VornickHTMLAttributeValidator>()>;

    virtual ~VornickHTMLAttributeValidator() = default;

    static void registerValidatorClasses();
    // A later registration of the same kind replaces the earlier.
    static void registerValidatorClass(ValidatorClass, const VornickHTMLAttributeValueKind&);
    // nullptr for an unknown kind.
    static ValidatorClass validatorClassForValueKind(const VornickHTMLAttributeValueKind&);
    // A new validator for an attribute of an element: the attribute's value
    // kind decides; an attribute the element does not have is unknown (but
    // "data-..." attributes of HTML 5 are text).
    static std::unique_ptr<VornickHTMLAttributeValidator> attributeValidatorForAttributeName(std::u16string_view attributeName,
                                                                                            const VornickHTMLElementSpec&);

    // Calls `completion` exactly once, synchronously, with the outcome and a
    // message ("" when valid). `element` (may be null) gives the document that
    // some validators consult.
    virtual void validateValueString(std::u16string_view value, std::u16string_view attributeName, const DOMElement* element,
                                     const VornickHTMLElementSpec* elementSpec,
                                     const VornickAttributeValidationCompletionBlock& completion);

    // The allowed tokens of enumerated and token-list validators.
    virtual const std::vector<std::u16string>& allowedTokensInLowercase() const;
};

// Validators whose answer depends on the value alone.
class VornickValueOnlyHTMLAttributeValidator : public VornickHTMLAttributeValidator {
public:
    void validateValueString(std::u16string_view value, std::u16string_view attributeName, const DOMElement*,
                             const VornickHTMLElementSpec*, const VornickAttributeValidationCompletionBlock&) override;

protected:
    virtual VornickAttributeValidationOutcome validate(std::u16string_view value, std::u16string_view attributeName,
                                                       std::u16string& message) const = 0;
};

} // namespace brevanton
