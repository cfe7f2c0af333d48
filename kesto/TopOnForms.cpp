#include "kesto/TopOnForms.h"

#include "platform/forms/Form.h"

bool setTopMost(forms::Form &window, bool flag)
{
    window.setTopMost(flag);
    return window.TopMost() == flag;
}
