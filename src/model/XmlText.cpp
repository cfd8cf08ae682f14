#include "XmlText.h"

namespace NsStrata
{
bool isParsableXmlText(const juce::String& text)
{
    int rootStart = -1;
    for (int at = text.indexOfChar('<'); at >= 0; at = text.indexOfChar(at + 1, '<'))
    {
        if (text[at + 1] != '?' && text[at + 1] != '!')
        {
            rootStart = at;
            break;
        }
    }
    return rootStart < 0 || text.indexOf(rootStart, "<?") < 0;
}

bool isSafeXmlFileContent(const juce::MemoryBlock& bytes)
{
    auto* data = static_cast<const char*>(bytes.getData());
    auto size = bytes.getSize();
    if (size >= 3 && juce::CharPointer_UTF8::isByteOrderMark(data))
        data += 3, size -= 3;
    if (size > (size_t) std::numeric_limits<int>::max() ||
        !juce::CharPointer_UTF8::isValidString(data, (int) size))
        return false;
    const auto text = juce::String::fromUTF8(data, (int) size);
    return text.trimStart().startsWithChar('<') && isParsableXmlText(text);
}
} // namespace NsStrata
