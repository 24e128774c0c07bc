#include "documents/xml_reader.h"

const char* XmlErrorText(XmlError error) {
    switch (error) {
    case XmlError::kNone: return "no error";
    case XmlError::kNotWellFormed: return "the XML is not well formed";
    case XmlError::kTruncated: return "the XML is cut off in the middle of its markup";
    case XmlError::kUnclosedElement: return "the XML ends before all its elements are closed";
    case XmlError::kMismatchedEndTag: return "an end tag does not match the element it closes";
    case XmlError::kUnexpectedEndTag: return "an end tag closes no open element";
    case XmlError::kNoRootElement: return "the XML has no element";
    case XmlError::kSecondRootElement: return "the XML has more than one root element";
    case XmlError::kTextOutsideRoot: return "the XML has text outside its root element";
    case XmlError::kLessThanInValue: return "an attribute value holds a '<'";
    case XmlError::kDuplicateAttribute: return "an element has the same attribute twice";
    case XmlError::kUnboundPrefix: return "a namespace prefix is used without a declaration";
    case XmlError::kBadNamespaceDeclaration: return "a namespace declaration is not allowed";
    case XmlError::kBadName: return "an element or attribute name is malformed";
    case XmlError::kBadReference: return "a character or entity reference is malformed or unknown";
    case XmlError::kDoctype: return "a DOCTYPE is not allowed in a document part";
    case XmlError::kUnsupportedEncoding: return "the XML is in a character encoding other than UTF-8 or UTF-16";
    case XmlError::kTooDeep: return "elements are nested too deeply";
    case XmlError::kTooManyAttributes: return "an element has too many attributes";
    case XmlError::kNameTooLong: return "a name is too long";
    case XmlError::kValueTooLong: return "an attribute value is too long";
    case XmlError::kTooManyNamespaces: return "too many namespace declarations are in scope";
    case XmlError::kStopped: return "the reading was stopped";
    }
    return "the XML is not well formed";
}
