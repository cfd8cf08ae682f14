#include "SettingsFileContent.h"

#include "model/XmlText.h"

namespace NsStrata
{
namespace
{
const juce::String fileTag{"PROPERTIES"};
const juce::String valueTag{"VALUE"};
const juce::String nameAttribute{"name"};
const juce::String valueAttribute{"val"};
const juce::String stateKey{"state"};

bool isStateValue(const juce::XmlElement& element)
{
    return element.hasTagName(valueTag) && element.getStringAttribute(nameAttribute) == stateKey;
}
} // namespace

SettingsFileContent readSettingsFileContent(const juce::MemoryBlock& bytes)
{
    SettingsFileContent content;
    if (!isSafeXmlFileContent(bytes))
        return content;
    content.readable = true;
    content.document = juce::parseXMLIfTagMatches(
        juce::String::createStringFromData(bytes.getData(), (int) bytes.getSize()), fileTag);
    if (content.document == nullptr)
        return content;

    // A value holds its XML as a child element, or as text in an attribute; a later duplicate wins.
    for (auto* value : content.document->getChildIterator())
        if (isStateValue(*value))
            content.storedState = value->getFirstChildElement() != nullptr
                                      ? value->getFirstChildElement()->toString(
                                            juce::XmlElement::TextFormat().singleLine().withoutHeader())
                                      : value->getStringAttribute(valueAttribute);
    return content;
}

std::unique_ptr<juce::XmlElement> settingsDocumentWithState(const juce::XmlElement* document,
                                                            const juce::XmlElement& stateXml)
{
    auto result = std::make_unique<juce::XmlElement>(fileTag);
    if (document != nullptr)
    {
        for (int i = 0; i < document->getNumAttributes(); ++i)
            result->setAttribute(document->getAttributeName(i), document->getAttributeValue(i));
        for (auto* child : document->getChildIterator())
            if (!isStateValue(*child))
                result->addChildElement(new juce::XmlElement(*child));
    }
    auto* value = result->createNewChildElement(valueTag);
    value->setAttribute(nameAttribute, stateKey);
    value->addChildElement(new juce::XmlElement(stateXml));
    return result;
}
} // namespace NsStrata
