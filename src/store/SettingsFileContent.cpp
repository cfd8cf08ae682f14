#include "SettingsFileContent.h"

#include "model/StateLoader.h"
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

void SettingsFileContent::setDocument(std::unique_ptr<juce::XmlElement> newDocument)
{
    document = std::move(newDocument);
    stateValue = nullptr;
    if (document != nullptr)
        for (auto* value : document->getChildIterator())
            if (isStateValue(*value))
                stateValue = value;
}

// A value holds its XML as a child element, or as text in an attribute.
juce::ValueTree SettingsFileContent::storedTree() const
{
    if (stateValue == nullptr)
        return {};
    if (auto* element = stateValue->getFirstChildElement())
        return juce::ValueTree::fromXml(*element);
    return treeFromXmlText(stateValue->getStringAttribute(valueAttribute));
}

bool SettingsFileContent::holdsState(const juce::XmlElement& stateXml) const
{
    auto* element = stateValue != nullptr ? stateValue->getFirstChildElement() : nullptr;
    return element != nullptr && element->isEquivalentTo(&stateXml, false);
}

SettingsFileContent readSettingsFileContent(const juce::MemoryBlock& bytes)
{
    SettingsFileContent content;
    if (!isSafeXmlFileContent(bytes))
        return content;
    content.readable = true;
    content.setDocument(juce::parseXMLIfTagMatches(
        juce::String::createStringFromData(bytes.getData(), (int) bytes.getSize()), fileTag));
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
