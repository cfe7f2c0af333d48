Declare Function G Lib _
