#include "Models.h"

namespace NsStrata
{
int modelIndexOf(int modelNumber)
{
    for (std::size_t i = 0; i < supportedModels.size(); ++i)
        if (supportedModels[i] == modelNumber)
            return (int) i;
    return 0;
}

bool isSupportedModel(int modelNumber)
{
    for (int m : supportedModels)
        if (m == modelNumber)
            return true;
    return false;
}

Selection& selection()
{
    static Selection s;
    return s;
}
} // namespace NsStrata
