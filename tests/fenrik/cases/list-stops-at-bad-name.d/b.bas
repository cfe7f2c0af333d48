Type U
