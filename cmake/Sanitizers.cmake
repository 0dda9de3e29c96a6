# Native builds run the portable code under AddressSanitizer and UndefinedBehaviorSanitizer.
option(VEXILATE_SANITIZE "Build native code with ASan and UBSan" ON)
if(VEXILATE_SANITIZE AND NOT CMAKE_CROSSCOMPILING)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
