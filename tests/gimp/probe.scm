; Probe reflection in the real GIMP: renders with a probe drawable must equal
; the command-line tool's renders with the same probe as a PNG file. Every
; plug-in call is a process of its own whose random stream starts at 0, as
; the tool's does, so blurred renders compare byte for byte too.

; A probe layer of width x height and `type` in `image` (not inserted for
; grey or indexed images' own layers): a diagonal gradient with a bright spot.
(define (fill-probe image layer width height)
  (gimp-context-set-foreground '(250 40 10))
  (gimp-context-set-background '(10 60 240))
  (gimp-drawable-edit-gradient-fill layer GRADIENT-LINEAR 0 FALSE 1 0 TRUE 0 0 width height)
  (gimp-context-set-foreground '(255 255 200))
  (gimp-image-select-ellipse image CHANNEL-OP-REPLACE (/ width 3) (/ height 3) (/ width 4) (/ height 4))
  (gimp-drawable-edit-fill layer FILL-FOREGROUND)
  (gimp-selection-none image))

(define (add-probe-layer image type width height)
  (let ((layer (car (gimp-layer-new image width height type "probe" 100 LAYER-MODE-NORMAL))))
    (gimp-image-insert-layer image layer 0 -1)
    (fill-probe image layer width height)
    (if (= type RGBA-IMAGE)
        (begin
          (gimp-image-select-rectangle image CHANNEL-OP-REPLACE 0 0 (/ width 2) height)
          (gimp-drawable-edit-clear layer)
          (gimp-selection-none image)))
    layer))

; A probe in an image of its own, of base type `base` (GRAY or INDEXED).
(define (probe-image base with-alpha width height)
  (let* ((image (car (gimp-image-new width height RGB)))
         (layer (car (gimp-layer-new image width height (if with-alpha RGBA-IMAGE RGB-IMAGE)
                                     "probe" 100 LAYER-MODE-NORMAL))))
    (gimp-image-insert-layer image layer 0 0)
    (fill-probe image layer width height)
    (if with-alpha
        (begin
          (gimp-image-select-rectangle image CHANNEL-OP-REPLACE 0 0 width (/ height 3))
          (gimp-drawable-edit-clear layer)
          (gimp-selection-none image)))
    (if (= base GRAY) (gimp-image-convert-grayscale image))
    (if (= base INDEXED) (gimp-image-convert-indexed image CONVERT-DITHER-NONE CONVERT-PALETTE-GENERATE 16 FALSE FALSE ""))
    (list image (car (gimp-image-get-active-layer image)))))

; The probe as the command-line tool sees it: the same pixels as RGB(A).
(define (save-probe-as-rgb image layer name)
  (let* ((copy (car (gimp-image-duplicate image)))
         (copy-layer (car (gimp-image-get-active-layer copy))))
    (if (not (= (car (gimp-image-base-type copy)) RGB))
        (gimp-image-convert-rgb copy))
    (save-png copy-layer name)
    (gimp-image-delete copy)))

(define (with-probe settings probe specularity)
  (lambda (image layer)
    (plug-in-ormolo2 RUN-NONINTERACTIVE image layer
                     (list-ref settings 0) (list-ref settings 1) (list-ref settings 2)
                     (list-ref settings 3) (list-ref settings 4) (list-ref settings 5)
                     probe specularity)))

(define (probe-options settings probe-file specularity)
  (string-append (settings-arguments settings) " --probe " (path probe-file)
                 " --specularity " (number->string specularity)))

; name, output type, probe layer type, slope settings, specularity
(for-each
 (lambda (case)
   (let* ((shape (make-shape 64 48 (list-ref case 1) 0 0 64 48))
          (image (car shape))
          (probe (add-probe-layer image (list-ref case 2) 33 27))
          (name (list-ref case 0))
          (settings (list-ref case 3))
          (specularity (list-ref case 4)))
     (save-png probe (string-append name "-probe.png"))
     (expect-render-with-options name image (cadr shape) #f
                                 (probe-options settings (string-append name "-probe.png") specularity)
                                 (with-probe settings probe specularity))))
 (list (list "probe-rgb-exact" RGB-IMAGE RGB-IMAGE '(0 3 3 10 7 20) 1.0)
       (list "probe-rgba-on-rgb" RGB-IMAGE RGBA-IMAGE '(0 2 3 10 7 20) 1.0)
       (list "probe-rgb-on-rgba" RGBA-IMAGE RGB-IMAGE '(0 1 3 10 7 20) 1.0)
       (list "probe-rgba-on-rgba" RGBA-IMAGE RGBA-IMAGE '(1 3 3 10 7 20) 1.0)
       (list "probe-blurred" RGB-IMAGE RGB-IMAGE '(0 3 3 10 7 20) 0.3)
       (list "probe-blurred-rgba" RGBA-IMAGE RGBA-IMAGE '(0 2 3 10 7 20) 0.0)))

; Grey and indexed probes from other images: grey gives red = green = blue,
; indexed goes through the colour map, their alpha comes along.
(for-each
 (lambda (case)
   (let* ((shape (make-shape 64 48 RGBA-IMAGE 0 0 64 48))
          (probe (probe-image (list-ref case 1) (list-ref case 2) 29 23))
          (name (list-ref case 0)))
     (save-probe-as-rgb (car probe) (cadr probe) (string-append name "-probe.png"))
     (expect-render-with-options name (car shape) (cadr shape) #f
                                 (probe-options default-settings (string-append name "-probe.png") 1.0)
                                 (with-probe default-settings (cadr probe) 1.0))))
 (list (list "probe-grey" GRAY #f)
       (list "probe-grey-alpha" GRAY #t)
       (list "probe-indexed" INDEXED #f)
       (list "probe-indexed-alpha" INDEXED #t)))

; The probe is the drawable being rendered: it shows the pixels from before
; the render.
(let* ((shape (make-shape 64 48 RGB-IMAGE 0 0 64 48))
       (layer (cadr shape)))
  (expect-render-with-options "probe-is-output" (car shape) layer #f
                              (probe-options default-settings "probe-is-output-in.png" 1.0)
                              (with-probe default-settings layer 1.0)))

; A stored probe ID whose drawable has been closed since gives the normal
; map, without error. (The procedure's own argument cannot carry such an ID:
; GIMP refuses it before the plug-in runs.)
(let* ((closed (probe-image RGB #f 8 8))
       (closed-id (cadr closed))
       (shape (make-shape 64 48 RGB-IMAGE 0 0 64 48)))
  (gimp-image-delete (car closed))
  (store-record (settings-record (list 0 3 3 10 7 20 closed-id 1.0) 1))
  (expect-render-with-options "probe-closed" (car shape) (cadr shape) #f
                              (settings-arguments default-settings)
                              (lambda (image layer)
                                (plug-in-ormolo2 RUN-WITH-LAST-VALS image layer 0 0 0 0 0 0 -1 0))))
