# cmake -DOUT=dir -DACTIONS_DIR=dir -DEFFECTS_DIR=dir -P make_seeds.cmake
file(MAKE_DIRECTORY ${OUT})
file(GLOB actions ${ACTIONS_DIR}/*.txt)
file(GLOB effects ${EFFECTS_DIR}/*.txt)
foreach(action ${actions})
  get_filename_component(action_name ${action} NAME_WE)
  file(READ ${action} action_text)
  # The section header goes (the target adds its own) and every effect line
  # names the target's effect.
  string(REGEX REPLACE "\\[[^]\n]*\\]\n" "" action_text "${action_text}")
  string(REGEX REPLACE "(Effect *= *[^\"\n]*)\"[^\"\n]*\"" "\\1\"fz\"" action_text "${action_text}")
  foreach(effect ${effects})
    get_filename_component(effect_name ${effect} NAME_WE)
    file(READ ${effect} effect_text)
    string(REGEX REPLACE "\\[[^]\n]*\\]\n" "" effect_text "${effect_text}")
    file(WRITE ${OUT}/${action_name}-${effect_name} "${action_text}\n%%\n${effect_text}")
  endforeach()
endforeach()
