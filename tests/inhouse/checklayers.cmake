# Keeps the in-house library in layers: the core (text, data, sql, net) includes neither the
# services nor the widgets, and the services include no widget header.
# Run as: cmake -DROOT=<src/inhouse/inhouse> -P checklayers.cmake
set(bad "")
function(check_layer folders forbidden)
  foreach(folder ${folders})
    file(GLOB files ${ROOT}/${folder})
    foreach(file ${files})
      file(STRINGS ${file} hits REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]inhouse/(${forbidden})/")
      foreach(hit ${hits})
        string(STRIP "${hit}" hit)
        file(RELATIVE_PATH name ${ROOT} ${file})
        set(bad "${bad}\n  ${name}: ${hit}")
      endforeach()
    endforeach()
  endforeach()
  set(bad "${bad}" PARENT_SCOPE)
endfunction()

check_layer("*.h;*.cpp;text/*;data/*;sql/*;net/*" "services|ui")
check_layer("services/*" "ui")
if(bad)
  message(FATAL_ERROR "Includes against the layers (core < services < ui):${bad}")
endif()
